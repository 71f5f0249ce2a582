#include "writer/GbkName.h"

#include <algorithm>

#include "base/GbkText.h"
#include "base/TextFit.h"

namespace kvdfile {

GbkName ToGbkName(std::string_view utf8, size_t maxBytes)
{
    GbkName name;
    name.bytes = Utf8ToGbk(utf8);
    // The conversion's only replacement is '?', so more of them than the
    // text brought means something was replaced.
    name.replaced = std::count(name.bytes.begin(), name.bytes.end(), '?') >
                    std::count(utf8.begin(), utf8.end(), '?');
    // A NUL would end the stored text early: it goes, as the reader would
    // have dropped what follows it.
    const auto nul = std::find(name.bytes.begin(), name.bytes.end(), '\0');
    name.cut = nul != name.bytes.end();
    name.bytes.erase(nul, name.bytes.end());
    const size_t kept = GbkFitLength(name.bytes, maxBytes);
    if (kept < name.bytes.size()) {
        name.bytes.resize(kept);
        name.cut = true;
    }
    return name;
}

}  // namespace kvdfile
