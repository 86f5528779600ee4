// The report's file name and viewer command, built from the base name.
#include <gtest/gtest.h>

#include <string>

#include "subrotinas/relatorio.hpp"

namespace {

std::string nome(const std::string& text) {
    std::string value = text;
    value.resize(60, ' ');
    return value;
}

std::string arquivo_de(const std::string& base, const char* tag) {
    char arquivo[subrotinas::arquivo_length];
    subrotinas::monta_arquivo(base.data(), static_cast<int>(base.size()), tag, arquivo);
    return std::string(arquivo, sizeof arquivo);
}

TEST(Relatorio, FileNameIsTheTrimmedBaseNameAndTheTag) {
    EXPECT_EQ(arquivo_de(nome("raiz"), ".bis.txt"), "raiz.bis.txt" + std::string(58, ' '));
    EXPECT_EQ(arquivo_de(nome("  raiz"), ".bis.txt"), "raiz.bis.txt" + std::string(58, ' '));
    EXPECT_EQ(arquivo_de(nome("meu arquivo"), ".fp.txt"), "meu arquivo.fp.txt" + std::string(52, ' '));
    EXPECT_EQ(arquivo_de(nome(""), ".sec.txt"), ".sec.txt" + std::string(62, ' '));
    const std::string full(60, 'n');
    EXPECT_EQ(arquivo_de(full, ".pfs.txt"), full + ".pfs.txt  ");
    // A name never read holds NULs, which are not blanks.
    EXPECT_EQ(arquivo_de(std::string(60, '\0'), ".new.txt"), std::string(60, '\0') + ".new.txt  ");
}

TEST(Relatorio, CommandKeepsAllSeventyCharactersOfTheFileName) {
    char arquivo[subrotinas::arquivo_length];
    const std::string base = nome("raiz");
    subrotinas::monta_arquivo(base.data(), 60, ".bis.txt", arquivo);
    char comando[subrotinas::comando_length];
    subrotinas::monta_comando(arquivo, comando);
    EXPECT_EQ(std::string(comando, sizeof comando), "notepad raiz.bis.txt" + std::string(58, ' '));
}

}  // namespace
