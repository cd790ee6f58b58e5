#pragma once
// A link record holding one port entry, with one of its addresses selected.
#include <cstdint>
#include <initializer_list>

#include "core/LinkRecord.h"

namespace ordalis::test {

inline LinkRecord OneEntryLink(uint8_t port, int32_t baud, std::initializer_list<uint8_t> addresses,
                               uint8_t selectedIndex) {
    LinkRecord r;
    r.SetEntryCount(1);
    r.SetSelectedEntry(0);
    r.SetSelectedAddressIndex(selectedIndex);
    r.SetPort(0, port);
    r.SetBaud(0, baud);
    r.SetAddressCount(0, static_cast<uint8_t>(addresses.size()));
    int i = 0;
    for (uint8_t a : addresses) r.SetAddress(0, i++, a);
    return r;
}

}  // namespace ordalis::test
