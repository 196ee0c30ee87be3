// Arbitrary bytes as a HID report descriptor (sysfs hands us whatever the device declared).
// Any crash or sanitizer report is a finding, and so is a result that breaks its own rules.
#include <cstdint>
#include <cstdlib>

#include "device/report_descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const device::ReportDescriptorInfo info = device::ParseReportDescriptor(data, size);
  for (int id = 0; id < 256; ++id) {
    const int length = info.output_lengths[id];
    const int owner = info.output_collection[id];
    if (length < 0 || owner >= static_cast<int>(info.collections.size())) std::abort();
    if (length > 0 && length < 2) std::abort();  // at least one data byte and the id
  }
  if (!info.uses_report_ids && device::OutputReportLength(info, 0x09) != 0) std::abort();
  return 0;
}
