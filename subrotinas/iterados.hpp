#pragma once
// The iterate array `p` of a method, obtained once `nmax` is known and kept
// until the program ends.
#include <algorithm>
#include <cstdint>

#include "io/chars/array.hpp"

namespace subrotinas {

// Bounds `inferior` to `superior`, but at least up to `minimo`: the elements
// a routine always stores exist whatever `nmax` was typed.
inline io::ArrayDescriptor& obtem_iterados(io::ArrayDescriptor& p, std::int64_t inferior, std::int64_t superior,
                                           std::int64_t minimo) {
    io::set_bounds(p, inferior, std::max(superior, minimo));
    io::allocate(p);
    return p;
}

}  // namespace subrotinas
