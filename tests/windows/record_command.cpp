// A stand-in command processor for the end-to-end tests of the Windows
// program: point COMSPEC at it. It writes the command line it was given,
// exactly as the system passed it, to viewer-args.txt in its working
// directory, copies the file named after "/c notepad " to viewer-saw.txt
// (what the editor would have shown), and exits with status 3.
#include <windows.h>

#include <cstring>
#include <string>

namespace {

constexpr const char* editor_word = "notepad ";
constexpr const char* processor_switch = " /c ";

void write_whole_file(const char* name, const std::string& bytes) {
    HANDLE file = ::CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

}  // namespace

int main() {
    const std::string line = ::GetCommandLineA();
    write_whole_file("viewer-args.txt", line);
    const std::size_t at = line.find(processor_switch);
    if (at != std::string::npos) {
        const std::string command = line.substr(at + std::strlen(processor_switch));
        if (command.rfind(editor_word, 0) == 0) {
            const std::string report = command.substr(std::strlen(editor_word));
            ::CopyFileA(report.c_str(), "viewer-saw.txt", FALSE);
        }
    }
    return 3;
}
