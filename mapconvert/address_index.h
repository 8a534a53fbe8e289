// Where in a list of symbols each address stands: an open-addressing hash
// table of positions that reads the addresses from the list itself, since
// a map of millions of symbols looks every address up once and memory
// should follow the distinct addresses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mapconvert {

class AddressIndex {
public:
    static constexpr uint32_t kAbsent = UINT32_MAX;

    // The position of address in list (anything with .address), or kAbsent.
    template <typename List>
    uint32_t find(uint64_t address, const List& list) const {
        if (slots_.empty()) return kAbsent;
        return slots_[slotOf(address, list)];
    }

    // Records list[position], whose address is not there yet.
    template <typename List>
    void insert(uint32_t position, const List& list) {
        if ((used_ + 1) * 2 > slots_.size()) grow(list);
        slots_[slotOf(list[position].address, list)] = position;
        ++used_;
    }

    void clear() {
        slots_ = std::vector<uint32_t>();
        used_ = 0;
    }

private:
    template <typename List>
    size_t slotOf(uint64_t address, const List& list) const {
        // Fibonacci hashing spreads the aligned addresses of code and data.
        const size_t mask = slots_.size() - 1;
        size_t slot = static_cast<size_t>((address * 0x9E3779B97F4A7C15ull) >> 32) & mask;
        while (slots_[slot] != kAbsent && list[slots_[slot]].address != address) slot = (slot + 1) & mask;
        return slot;
    }

    template <typename List>
    void grow(const List& list) {
        const std::vector<uint32_t> old = std::move(slots_);
        slots_.assign(old.empty() ? 1024 : old.size() * 2, kAbsent);
        for (uint32_t position : old) {
            if (position != kAbsent) slots_[slotOf(list[position].address, list)] = position;
        }
    }

    std::vector<uint32_t> slots_;
    size_t used_ = 0;
};

}  // namespace mapconvert
