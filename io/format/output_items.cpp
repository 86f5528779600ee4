#include "io/format/output_items.hpp"

#include <algorithm>

namespace io {

void QueuedItems::grow() {
    capacity_ = std::max<std::size_t>(8, 2 * capacity_);
    slots_.resize(capacity_, QueuedItem{ItemType::integer4});
}

}  // namespace io
