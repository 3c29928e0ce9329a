// German messages of the download result codes.
#pragma once

namespace korvun {

// Windows-1252 message for -1..-9 and -1015; nullptr for every other code.
const char* InternetErrorText(int code);

}  // namespace korvun
