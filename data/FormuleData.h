#pragma once
// The indicator definition document: "formula.dat" as the server sent it,
// and its deciphered body in memory.
#include <cstdint>
#include <string>
#include <vector>

class CMemoryStream;
class IDataProvider;

class CFormuleData
{
public:
    CFormuleData();
    virtual ~CFormuleData();

    // 1 when the file was read and deciphered; 0 leaves the body held.
    int Load(const char* path);
    // Asks the request manager for a newer document: S_OK, or E_FAIL when the
    // request failed, the reply does not decipher to an XML document (two
    // bytes, then UTF-16LE text that parses) or could not be stored. An empty
    // reply changes nothing. The reply is checked before the file is written
    // and taken into memory only after it was written whole.
    long Update();
    long Update(IDataProvider* provider);
    // Takes a reply (header words and enciphered body); 0 for fewer than 8 bytes.
    int SetFromReply(CMemoryStream* stream);

    // The deciphered body (UTF-16LE text after two bytes), followed by zero
    // bytes; null when there is none.
    const uint8_t* GetBuffer(int32_t* length) const;
    int32_t GetHeaderValue1() const { return m_header1; }
    int32_t GetHeaderValue2() const { return m_header2; }
    const std::string& GetPath() const { return m_path; }

private:
    CFormuleData(const CFormuleData&) = delete;
    CFormuleData& operator=(const CFormuleData&) = delete;
    bool TakeEnciphered(const uint8_t* bytes, size_t size);

    std::vector<uint8_t> m_body; // body bytes plus four zero bytes
    int32_t m_length;
    std::string m_path;
    int32_t m_header1;
    int32_t m_header2;
};
