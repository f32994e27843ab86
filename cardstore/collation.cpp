#include "collation.h"

#include "errors.h"

#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <memory>
#include <vector>

namespace cardstore {

namespace {

struct CollatorCloser
{
    void operator()(UCollator* collator) const { ucol_close(collator); }
};
using CollatorPtr = std::unique_ptr<UCollator, CollatorCloser>;

UCollator* openCollator(bool caseInsensitive)
{
    UErrorCode error = U_ZERO_ERROR;
    UCollator* collator = ucol_open("", &error);
    if (U_FAILURE(error))
        throw DatabaseError::engineInit(status::kEngineInit + static_cast<int>(error));
    ucol_setStrength(collator, caseInsensitive ? UCOL_SECONDARY : UCOL_TERTIARY);
    return collator;
}

const UCollator* collator(bool caseInsensitive)
{
    // The program runs its store on one thread; the collators live for the whole run.
    static CollatorPtr sensitive(openCollator(false));
    static CollatorPtr insensitive(openCollator(true));
    return caseInsensitive ? insensitive.get() : sensitive.get();
}

} // namespace

void initialiseCollation()
{
    collator(false);
    collator(true);
}

void appendSortKey(std::string_view utf8, bool caseInsensitive, std::string& out)
{
    thread_local std::vector<UChar> utf16;
    utf16.resize(utf8.size() + 1);
    int32_t length = 0;
    UErrorCode error = U_ZERO_ERROR;
    u_strFromUTF8WithSub(utf16.data(), static_cast<int32_t>(utf16.size()), &length, utf8.data(),
        static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &error);
    if (U_FAILURE(error))
        length = 0;
    const UCollator* coll = collator(caseInsensitive);
    std::size_t start = out.size();
    out.resize(start + 4 * static_cast<std::size_t>(length) + 16);
    int32_t needed = ucol_getSortKey(coll, utf16.data(), length, reinterpret_cast<uint8_t*>(out.data() + start),
        static_cast<int32_t>(out.size() - start));
    if (static_cast<std::size_t>(needed) > out.size() - start) {
        out.resize(start + static_cast<std::size_t>(needed));
        needed = ucol_getSortKey(coll, utf16.data(), length, reinterpret_cast<uint8_t*>(out.data() + start),
            static_cast<int32_t>(out.size() - start));
    }
    out.resize(start + static_cast<std::size_t>(needed)); // includes the terminating zero
}

} // namespace cardstore
