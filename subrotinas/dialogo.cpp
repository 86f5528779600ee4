#include "subrotinas/dialogo.hpp"

#include "io/statement/write_statement.hpp"
#include "io/statement/read_statement.hpp"
#include "io/units/unit.hpp"

namespace subrotinas {

void escreve(std::string_view texto) {
    io::begin_write(io::default_output_unit, nullptr, 0);
    io::write_character_item(texto.data(), static_cast<int>(texto.size()));
    io::end_write();
}

void le_inteiro(std::int32_t& valor) {
    io::begin_read(io::default_input_unit);
    io::read_integer_item(valor);
    io::end_read();
}

void le_real(rt::real& valor) {
    io::begin_read(io::default_input_unit);
    io::read_real8_item(rt::stored_double(valor));
    io::end_read();
}

void le_reais(rt::real& primeiro, rt::real& segundo) {
    io::begin_read(io::default_input_unit);
    io::read_real8_item(rt::stored_double(primeiro));
    io::read_real8_item(rt::stored_double(segundo));
    io::end_read();
}

void le_texto(char* texto, int comprimento) {
    io::begin_read(io::default_input_unit);
    io::read_character_item(texto, comprimento);
    io::end_read();
}

void pergunta_tolerancia(rt::real& tol) {
    escreve("Informe a tolerancia admitida");
    le_real(tol);
}

void pergunta_limite(std::int32_t& nmax) {
    escreve("Informe o numero maximo de iteracoes");
    le_inteiro(nmax);
}

}  // namespace subrotinas
