// The Windows side of the platform contracts where the program's own tests
// cannot reach it on this machine: the command processor's start failures
// as marked last errors, and file identity, kinds, cutting and deletion.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "io/command/command.hpp"
#include "platform/console.hpp"
#include "platform/files.hpp"
#include "platform/process.hpp"

namespace {

std::string temporary_directory() {
    char path[MAX_PATH + 1];
    const DWORD length = ::GetTempPathA(sizeof path, path);
    return std::string(path, length);
}

// A file of the given bytes in the temporary directory, removed afterwards.
class TemporaryFile {
public:
    TemporaryFile(const std::string& name, const std::string& bytes) : path_(temporary_directory() + name) {
        HANDLE file = ::CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(file);
    }
    ~TemporaryFile() { ::DeleteFileA(path_.c_str()); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Runs `command` with COMSPEC set to `processor` and gives the result and
// the thread's last error as it was right after the call.
struct CommandOutcome {
    int result;
    DWORD last_error;
    int reason;
};

CommandOutcome run_with_processor(const std::string& processor, const std::string& command) {
    ::SetEnvironmentVariableA("COMSPEC", processor.c_str());
    const int result = io::run_command(command.data(), static_cast<int>(command.size()));
    const DWORD last_error = ::GetLastError();
    const int reason = io::last_command_error();
    ::SetEnvironmentVariableA("COMSPEC", nullptr);
    return {result, last_error, reason};
}

constexpr DWORD own_code = 0x20000000;

TEST(CommandFailures, ReasonsAreLastErrorsMarkedAsTheProgramsOwn) {
    const std::string missing = temporary_directory() + "raizes-no-such-processor.exe";
    CommandOutcome outcome = run_with_processor(missing, "notepad x.txt");
    EXPECT_EQ(outcome.result, -1);
    EXPECT_EQ(outcome.last_error, own_code | 2);
    EXPECT_EQ(outcome.reason, 2);

    TemporaryFile text("raizes-not-a-program.exe", "this is not a program\r\n");
    outcome = run_with_processor(text.path(), "notepad x.txt");
    EXPECT_EQ(outcome.result, -1);
    EXPECT_EQ(outcome.last_error, own_code | 8);
    EXPECT_EQ(outcome.reason, 8);

    outcome = run_with_processor("C:\\" + std::string(258, 'p'), "notepad x.txt");
    EXPECT_EQ(outcome.result, -1);
    EXPECT_EQ(outcome.reason, 2) << "a processor path of 261 characters";

    outcome = run_with_processor(missing, std::string(1025, 'c'));
    EXPECT_EQ(outcome.result, -1);
    EXPECT_EQ(outcome.last_error, own_code | 7);
    EXPECT_EQ(outcome.reason, 7);
}

TEST(CommandFailures, AnErrorOfTheSystemIsNotAReason) {
    plat::set_last_command_error(8);
    EXPECT_EQ(plat::last_command_error(), 8);
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(plat::last_command_error(), 0);
}

TEST(FileIdentity, TwoHandlesAndTheNameOfOneFileAgree) {
    TemporaryFile one("raizes-identity-one.txt", "1");
    TemporaryFile two("raizes-identity-two.txt", "2");
    const plat::OpenedFile a = plat::open_file(one.path().c_str(), plat::Creation::open_existing,
                                               plat::FileAccess::read_write);
    const plat::OpenedFile b = plat::open_file(one.path().c_str(), plat::Creation::open_existing,
                                               plat::FileAccess::read);
    ASSERT_EQ(a.error, plat::FileError::none);
    ASSERT_EQ(b.error, plat::FileError::none) << "read-write sharing lets a second handle open the file";
    const auto by_a = plat::handle_identity(a.handle);
    const auto by_b = plat::handle_identity(b.handle);
    const auto by_name = plat::path_identity(one.path().c_str());
    const auto other = plat::path_identity(two.path().c_str());
    ASSERT_TRUE(by_a && by_b && by_name && other);
    EXPECT_TRUE(*by_a == *by_b);
    EXPECT_TRUE(*by_a == *by_name);
    EXPECT_FALSE(*by_a == *other);
    EXPECT_TRUE(by_a->regular);
    plat::close_handle(a.handle);
    plat::close_handle(b.handle);
}

TEST(FileKinds, DirectoriesAreRefusedAsFoldersAndTheNullDeviceIsNoFile) {
    const std::string directory = temporary_directory();
    EXPECT_EQ(plat::open_file(directory.c_str(), plat::Creation::open_existing, plat::FileAccess::read_write).error,
              plat::FileError::is_folder);
    const plat::OpenedFile null_device =
        plat::open_file(plat::null_device_path(), plat::Creation::open_existing, plat::FileAccess::write);
    ASSERT_EQ(null_device.error, plat::FileError::none);
    const auto identity = plat::handle_identity(null_device.handle);
    EXPECT_FALSE(identity && identity->regular);
    EXPECT_EQ(plat::write_all(null_device.handle, "x", 1), plat::WriteFailure::none);
    plat::close_handle(null_device.handle);
}

TEST(FileErrors, OpenFailuresFallIntoTheirClasses) {
    const std::string missing_directory = temporary_directory() + "raizes-nowhere\\r.txt";
    EXPECT_EQ(plat::open_file(missing_directory.c_str(), plat::Creation::create_new, plat::FileAccess::read_write).error,
              plat::FileError::not_found);
    TemporaryFile existing("raizes-exists.txt", "x");
    EXPECT_EQ(plat::open_file(existing.path().c_str(), plat::Creation::create_new, plat::FileAccess::read_write).error,
              plat::FileError::exists);
    const std::string bad = temporary_directory() + "raizes-bad<name>.txt";
    const plat::OpenedFile refused = plat::open_file(bad.c_str(), plat::Creation::create_new, plat::FileAccess::read_write);
    EXPECT_EQ(refused.error, plat::FileError::bad_name);
    EXPECT_EQ(refused.system_error, static_cast<int>(ERROR_INVALID_NAME));
    const std::string wording = plat::system_error_text(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(wording.empty());
    EXPECT_NE(wording.back(), '\n');
}

TEST(FileChanges, CuttingKeepsThePositionAndDeletingRemovesTheFile) {
    std::string name;
    const plat::OpenedFile scratch = plat::create_scratch_file(name);
    ASSERT_EQ(scratch.error, plat::FileError::none);
    ASSERT_EQ(plat::write_all(scratch.handle, "0123456789", 10), plat::WriteFailure::none);
    EXPECT_EQ(plat::truncate_file(scratch.handle, 4), plat::WriteFailure::none);
    EXPECT_EQ(plat::file_size(scratch.handle), 4);
    // The file position stays where the writes left it.
    ASSERT_EQ(plat::write_all(scratch.handle, "x", 1), plat::WriteFailure::none);
    EXPECT_EQ(plat::file_size(scratch.handle), 11);
    plat::close_handle(scratch.handle);
    EXPECT_TRUE(plat::file_exists(name.c_str()));
    EXPECT_EQ(plat::delete_file(name.c_str()), plat::FileError::none);
    EXPECT_FALSE(plat::file_exists(name.c_str()));
    EXPECT_EQ(plat::delete_file(name.c_str()), plat::FileError::not_found);
}

TEST(FileChanges, AHandleForReadingCannotBeCut) {
    TemporaryFile file("raizes-read-only-handle.txt", "0123456789");
    const plat::OpenedFile reading = plat::open_file(file.path().c_str(), plat::Creation::open_existing,
                                                     plat::FileAccess::read);
    ASSERT_EQ(reading.error, plat::FileError::none);
    EXPECT_EQ(plat::truncate_file(reading.handle, 0), plat::WriteFailure::access_denied);
    EXPECT_EQ(plat::write_all(reading.handle, "x", 1), plat::WriteFailure::access_denied);
    plat::close_handle(reading.handle);
}

}  // namespace
