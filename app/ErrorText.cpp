#include "app/ErrorText.h"

namespace app {

std::string ErrorBoxText(std::string_view what) {
  std::string text(what);
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text.push_back('.');
  return text;
}

}  // namespace app
