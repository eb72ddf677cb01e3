#include "app/StoredPassword.h"

#include <windows.h>
#include <wincrypt.h>
#include <cstdlib>
#include <cstring>

#include "base/Base64.h"

namespace {
const char kMark[] = "v2:";
const size_t kMarkLength = sizeof(kMark) - 1;
// Far beyond any password the dialogs accept.
const size_t kMaxStoredLength = 16 * 1024;

struct LocalBlob
{
    DATA_BLOB blob = { 0, nullptr };
    ~LocalBlob()
    {
        if (blob.pbData)
            ::LocalFree(blob.pbData);
    }
};
} // namespace

std::string ProtectStoredPassword(const std::string& plain)
{
    if (plain.empty())
        return std::string();
    DATA_BLOB in = { static_cast<DWORD>(plain.size()),
        reinterpret_cast<BYTE*>(const_cast<char*>(plain.data())) };
    LocalBlob out;
    if (!::CryptProtectData(&in, L"Zentu", nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out.blob))
        return std::string();
    return kMark + Base64EncodeStandard(out.blob.pbData, out.blob.cbData);
}

bool IsProtectedPassword(const std::string& stored)
{
    return stored.compare(0, kMarkLength, kMark) == 0;
}

bool UnprotectStoredPassword(const std::string& stored, std::string& plain)
{
    plain.clear();
    if (!IsProtectedPassword(stored) || stored.size() > kMaxStoredLength)
        return false;
    size_t length = 0;
    unsigned char* sealed
        = CUrlBase64::Decode(stored.data() + kMarkLength, stored.size() - kMarkLength, &length);
    if (!sealed)
        return false;
    DATA_BLOB in = { static_cast<DWORD>(length), sealed };
    LocalBlob out;
    const BOOL opened
        = ::CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out.blob);
    std::free(sealed);
    if (!opened)
        return false;
    plain.assign(reinterpret_cast<const char*>(out.blob.pbData), out.blob.cbData);
    return true;
}
