#pragma once

#include <locale.h>

namespace launcher::platform {

// Switches the calling thread to a UTF-8 character locale for the object's
// lifetime. libarchive converts member names through the thread's locale; a
// UTF-8 one keeps every name (Cyrillic included) whatever the process runs in.
class ScopedUtf8Locale {
public:
    ScopedUtf8Locale() : utf8_(shared_locale()) {
        if (utf8_ != nullptr)
            previous_ = ::uselocale(utf8_);
    }
    ~ScopedUtf8Locale() {
        if (utf8_ != nullptr)
            ::uselocale(previous_);
    }
    ScopedUtf8Locale(const ScopedUtf8Locale&) = delete;
    ScopedUtf8Locale& operator=(const ScopedUtf8Locale&) = delete;

private:
    // Made once for the process: making a locale maps the locale archive,
    // which costs more than reading a small archive.
    static locale_t shared_locale() {
        static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
        return utf8;
    }

    locale_t utf8_;
    locale_t previous_ = LC_GLOBAL_LOCALE;
};

} // namespace launcher::platform
