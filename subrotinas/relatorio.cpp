#include "subrotinas/relatorio.hpp"

#include "io/chars/chars.hpp"
#include "io/command/command.hpp"
#include "io/statement/write_statement.hpp"
#include "io/units/open.hpp"
#include "io/units/close.hpp"
#include "runtime/termination.hpp"

namespace subrotinas {

// The accented letters are Windows-1252 bytes. A hex escape runs on over
// hex digits, so a literal is split where a letter a-f follows one.
const char formato_bissecao[] =
    "('Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo da bisse\xE7\xE3o',2/,'Intervalo\tinicial:',1/,"
    "'a = ',1P,E25.15,1/,'b = ',1P,E25.15,1/,'toler\xE2ncia admitida: ',1P,E25.15,1/,"
    "'n\xFAmero m\xE1ximo de itera\xE7\xF5" "es:',I5)";
const char formato_falsa_posicao[] =
    "('Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo da falsa posi\xE7\xE3o',2/,'Intervalo\tinicial:',1/,"
    "'a = ',1P,E25.15,1/,'b = ',1P,E25.15,1/,'toler\xE2ncia admitida: ',1P,E25.15,1/,"
    "'n\xFAmero m\xE1ximo de itera\xE7\xF5" "es:',I5)";
const char formato_ponto_fixo[] =
    "('Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo do ponto fixo simples',2/,"
    "'Estimativa inicial (p0) = ',1P,E25.15,1/,'toler\xE2ncia admitida: ',1P,E25.15,1/,"
    "'n\xFAmero m\xE1ximo de itera\xE7\xF5" "es:',I5)";
const char formato_newton[] =
    "('Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo de Newton-Raphson',2/,"
    "'Toler\xE2ncia admitida: ',1P,E25.15,1/,'n\xFAmero m\xE1ximo de itera\xE7\xF5" "es:',I5)";
const char formato_secante[] =
    "('Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo da secante',2/,"
    "'Toler\xE2ncia admitida: ',1P,E25.15,1/,'n\xFAmero m\xE1ximo de itera\xE7\xF5" "es:',I5)";

const char formato_titulos[] = "(2/,'Itera\xE7\xE3o',T12,'Solu\xE7\xE3o aproximada',T40,'Varia\xE7\xE3o')";
const char formato_primeira_linha[] = "(I5,1P,E25.15)";
const char formato_linha[] = "(I5,2(1P,E25.15))";
const char formato_falha[] = "(2/,'O m\xE9todo falhou ap\xF3s ',I5,' itera\xE7\xF5" "es')";

namespace {

constexpr std::string_view notepad = "notepad ";

void fecha_e_mostra(const Relatorio& relatorio) {
    io::close_unit(unidade_relatorio, nullptr, 0, 0);
    char comando[comando_length];
    monta_comando(relatorio.arquivo, comando);
    // The viewer's exit code is kept but never looked at.
    [[maybe_unused]] int resultado = io::run_command(comando, comando_length);
}

}  // namespace

void monta_arquivo(const char* nome, int nome_length, std::string_view tag, char (&arquivo)[arquivo_length]) {
    const io::CharacterTemporary ajustado = io::left_adjust(nome, nome_length);
    int m = io::length_without_trailing_blanks(ajustado.data(), nome_length);
    io::concatenate(arquivo, arquivo_length, {std::string_view(ajustado.data(), static_cast<std::size_t>(m)), tag});
}

void monta_comando(const char (&arquivo)[arquivo_length], char (&comando)[comando_length]) {
    io::concatenate(comando, comando_length, {notepad, std::string_view(arquivo, arquivo_length)});
}

void abre_relatorio(Relatorio& relatorio, const char* nome, int nome_length, std::string_view tag,
                    const char* formato, std::initializer_list<double> reais, std::int32_t nmax) {
    monta_arquivo(nome, nome_length, tag, relatorio.arquivo);
    io::OpenSpecifiers especificadores;
    especificadores.file = {relatorio.arquivo, arquivo_length};
    io::open_unit(unidade_relatorio, especificadores, 0);

    io::begin_write(unidade_relatorio, formato, -1);
    for (double valor : reais) io::write_real8_item(valor);
    io::write_integer_item(nmax);
    io::end_write();

    io::begin_write(unidade_relatorio, formato_titulos, -1);
    io::end_write();
}

void escreve_primeira_linha(std::int32_t i, double p) {
    io::begin_write(unidade_relatorio, formato_primeira_linha, -1);
    io::write_integer_item(i);
    io::write_real8_item(p);
    io::end_write();
}

void escreve_linha(std::int32_t i, double p) {
    io::begin_write(unidade_relatorio, formato_linha, -1);
    io::write_integer_item(i);
    io::write_real8_item(p);
    io::end_write();
}

void escreve_linha(std::int32_t i, double p, double variacao) {
    io::begin_write(unidade_relatorio, formato_linha, -1);
    io::write_integer_item(i);
    io::write_real8_item(p);
    io::write_real8_item(variacao);
    io::end_write();
}

void termina_convergido(const Relatorio& relatorio) {
    fecha_e_mostra(relatorio);
    rt::stop_program();
}

void termina_falhou(const Relatorio& relatorio, std::int32_t nmax) {
    io::begin_write(unidade_relatorio, formato_falha, -1);
    io::write_integer_item(nmax);
    io::end_write();
    fecha_e_mostra(relatorio);
}

}  // namespace subrotinas
