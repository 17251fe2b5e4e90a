#include "decode/messages.h"

#include "platform/product.h"

namespace sondrel {

std::string SupportNote() {
  return std::string("Please send this file to ") + kSupportAddress +
         " so that a future version can read it";
}

}  // namespace sondrel
