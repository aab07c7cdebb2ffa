#pragma once

#include <string>

namespace tremolex {

// The program's folder as the default log folder, ending in one separator. On Windows the
// separator is "\" ("/" is turned into it, as Qt writes paths with "/") and the letters are
// lower-cased: "D:\Meters\Bench" gives "d:\meters\bench\", "C:\" gives "c:\". Only ASCII
// letters change, so the bytes of other characters stay whole. Elsewhere case matters in
// paths and is kept, and the separator is "/".
std::string appPathOf(std::string folder);

}  // namespace tremolex
