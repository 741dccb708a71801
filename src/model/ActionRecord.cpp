#include "model/ActionRecord.h"

#include <stdexcept>

namespace tessarin {

std::size_t ActionList::Add(ActionRecord record) {
    rows_.push_back(std::move(record));
    return rows_.size();
}

std::size_t ActionList::Insert(std::size_t position, ActionRecord record) {
    if (position < 1 || position > rows_.size() + 1) {
        throw std::out_of_range("ActionList::Insert");
    }
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(position - 1), std::move(record));
    return position;
}

void ActionList::Remove(std::size_t position) {
    if (position < 1 || position > rows_.size()) {
        throw std::out_of_range("ActionList::Remove");
    }
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(position - 1));
}

}  // namespace tessarin
