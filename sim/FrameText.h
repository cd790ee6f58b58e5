#pragma once
// Readable descriptions of requests and answers for the simulator's frame log.
#include <cstddef>
#include <cstdint>
#include <string>

namespace ordalis::sim {

// "read id=37 Ipeak", "write id=53 Communications bps value=115200", "trace set id=15 TraceStatus 0x8000"
std::string DescribeRequest(uint8_t command, const uint8_t* data, size_t count);
// "ok 2 bytes: 90 01 (=400)", "condition 3"
std::string DescribeAnswer(uint8_t status, const uint8_t* data, size_t count);

}  // namespace ordalis::sim
