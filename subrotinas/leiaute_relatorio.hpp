#pragma once
// The layout of the run report: its titles, labels and field widths, as
// Windows-1252 bytes. Plain constants, so that a separate program (the
// picture tool's reader, the benchmark floor) can use them as they are.
// The accented letters are hex escapes; a hex escape runs on over hex
// digits, so a literal is split where a letter a-f follows one.
#include <cstddef>
#include <string_view>

namespace leiaute {

// Titles, one per method: the report's first line.
inline constexpr std::string_view titulo_bissecao =
    "Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo da bisse\xE7\xE3o";
inline constexpr std::string_view titulo_falsa_posicao =
    "Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo da falsa posi\xE7\xE3o";
inline constexpr std::string_view titulo_ponto_fixo =
    "Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo do ponto fixo simples";
inline constexpr std::string_view titulo_newton = "Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo de Newton-Raphson";
inline constexpr std::string_view titulo_secante = "Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo da secante";

// Labels of the header lines, each followed by its value.
inline constexpr std::string_view rotulo_intervalo = "Intervalo\tinicial:";  // a line of its own, one TAB
inline constexpr std::string_view rotulo_a = "a = ";
inline constexpr std::string_view rotulo_b = "b = ";
inline constexpr std::string_view rotulo_estimativa = "Estimativa inicial (p0) = ";
inline constexpr std::string_view rotulo_tolerancia = "toler\xE2ncia admitida: ";  // bisection to fixed point
inline constexpr std::string_view rotulo_tolerancia_maiuscula = "Toler\xE2ncia admitida: ";  // Newton, secant
inline constexpr std::string_view rotulo_nmax = "n\xFAmero m\xE1ximo de itera\xE7\xF5" "es:";

// The table heading: three titles, the second and third from these columns
// (the first is column 1).
inline constexpr std::string_view titulo_iteracao = "Itera\xE7\xE3o";
inline constexpr std::string_view titulo_solucao = "Solu\xE7\xE3o aproximada";
inline constexpr std::string_view titulo_variacao = "Varia\xE7\xE3o";
inline constexpr int coluna_solucao = 12;
inline constexpr int coluna_variacao = 40;

// The failure trailer: its text, `nmax`, its closing text.
inline constexpr std::string_view falha_inicio = "O m\xE9todo falhou ap\xF3s ";
inline constexpr std::string_view falha_fim = " itera\xE7\xF5" "es";

// Record ends (n/) after the title, whose line the first of them ends, and
// before the heading and the trailer: one empty line after the title, two
// before the heading and the trailer.
inline constexpr int fim_titulo = 2;
inline constexpr int antes_titulos = 2;
inline constexpr int antes_falha = 2;

// A typed equation (not the built-in one) is named on lines of their own
// right after the title: f, then g for simple fixed point or df for
// Newton-Raphson, each label followed by the expression as typed (ASCII);
// a derivative that the program works out itself is named by the text
// `df_automatica`. The empty line after the title follows them.
inline constexpr std::string_view rotulo_f = "f(x) = ";
inline constexpr std::string_view rotulo_g = "g(x) = ";
inline constexpr std::string_view rotulo_df = "df(x) = ";
inline constexpr std::string_view df_automatica = "derivada exata de f(x), por diferencia\xE7\xE3o autom\xE1tica";
// The most characters a typed expression has: the longest equation line is
// the df label and this many.
inline constexpr std::size_t expressao_maxima = 1000;

// Fields: an integer (row number, nmax) right-aligned in its width; a real
// with one digit before the point, `digitos_real` after it and a
// four-character exponent, right-aligned in its width.
inline constexpr int largura_inteiro = 5;
inline constexpr int largura_real = 25;
inline constexpr int digitos_real = 15;

}  // namespace leiaute
