#include "jet/base/object_names.h"

#include "jet/base/errors.h"
#include "jet/base/text.h"

namespace jet {

namespace {

bool isForbidden(char16_t c) {
    return c < 0x20 || c == u'.' || c == u'!' || c == u'`' || c == u'[' || c == u']';
}

}  // namespace

void checkObjectName(std::u16string_view name) {
    bool valid = !name.empty() && name.size() <= kMaxObjectNameLength && name.front() != u' ';
    for (char16_t c : name) valid = valid && !isForbidden(c);
    if (!valid)
        throw Error(ErrorCode::InvalidArgument,
                    "'" + toUtf8(name) +
                        "' ist kein zulässiger Name. Stellen Sie sicher, dass der Name keine "
                        "ungültigen Zeichen oder Satzzeichen enthält und nicht zu lang ist.");
}

}  // namespace jet
