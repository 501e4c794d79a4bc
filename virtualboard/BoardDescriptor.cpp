#include "virtualboard/BoardDescriptor.h"

namespace virtualboard {
namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kHead = {
    0x06, 0x00, 0xFF,  // Usage Page (vendor 0xFF00)
    0x09, 0x01,        // Usage (1)
    0xA1, 0x01,        // Collection (Application)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
};
const Bytes kCommand = {
    0x96, 0x04, 0x04,  //   Report Count (1028)
    0x09, 0x01,        //   Usage (1)
    0x92, 0x02, 0x01,  //   Output (Data, Var, Abs, Buffered Bytes)
};
const Bytes kResponse = {
    0x95, 0x02,        //   Report Count (2)
    0x09, 0x02,        //   Usage (2)
    0x82, 0x02, 0x01,  //   Input (Data, Var, Abs, Buffered Bytes)
};
const Bytes kTail = {
    0xC0,  // End Collection
};

Bytes Join(std::initializer_list<const Bytes*> parts) {
  Bytes out;
  for (const Bytes* part : parts) out.insert(out.end(), part->begin(), part->end());
  return out;
}

Bytes Response(uint8_t string) {
  if (!string) return kResponse;
  Bytes named = {0x79, string};  //   String Index (string)
  named.insert(named.end(), kResponse.begin(), kResponse.end());
  return named;
}

}  // namespace

std::vector<uint8_t> BoardReportDescriptor(uint8_t responseString) {
  const Bytes response = Response(responseString);
  return Join({&kHead, &kCommand, &response, &kTail});
}
std::vector<uint8_t> CommandOnlyDescriptor() {
  return Join({&kHead, &kCommand, &kTail});
}
std::vector<uint8_t> ResponseOnlyDescriptor(uint8_t responseString) {
  const Bytes response = Response(responseString);
  return Join({&kHead, &response, &kTail});
}

}  // namespace virtualboard
