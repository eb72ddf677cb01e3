// The enciphered indicator definition file and its update.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/CPFile.h"
#include "data/FormuleData.h"
#include "data/Rc4.h"
#include "tests/support/SeriesFixtures.h"
#include "tests/support/TempDataRoot.h"

namespace {

TEST(Rc4, PublishedVectors)
{
    const struct
    {
        const char* key;
        const char* plain;
        std::vector<uint8_t> cipher;
    } cases[] = {
        { "Key", "Plaintext", { 0xBB, 0xF3, 0x16, 0xE8, 0xD9, 0x40, 0xAF, 0x0A, 0xD3 } },
        { "Wiki", "pedia", { 0x10, 0x21, 0xBF, 0x04, 0x20 } },
        { "Secret", "Attack at dawn",
            { 0x45, 0xA0, 0x1F, 0x64, 0x5F, 0xC3, 0x5B, 0x38, 0x35, 0x52, 0x54, 0x4B, 0x9B, 0xF5 } },
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> data(c.plain, c.plain + strlen(c.plain));
        Rc4 cipher(reinterpret_cast<const uint8_t*>(c.key), strlen(c.key));
        cipher.Apply(data.data(), data.size());
        EXPECT_EQ(data, c.cipher) << c.key;
    }
    EXPECT_EQ(strlen(kFormulaCipherKey), kFormulaCipherKeyLength);
}

// Header words and a body enciphered under the formula key, as the server sends it.
std::string EncipheredDocument(int32_t h1, int32_t h2, const std::wstring& xml)
{
    std::string body(2, '\0');
    body.append(reinterpret_cast<const char*>(xml.data()), xml.size() * sizeof(wchar_t));
    ApplyFormulaCipher(reinterpret_cast<uint8_t*>(&body[0]), body.size());
    std::string bytes;
    AppendPod(bytes, h1);
    AppendPod(bytes, h2);
    return bytes + body;
}

std::wstring BodyText(const CFormuleData& data)
{
    int32_t length = 0;
    const uint8_t* body = data.GetBuffer(&length);
    if (!body || length < 2)
        return std::wstring();
    return std::wstring(reinterpret_cast<const wchar_t*>(body + 2));
}

class FormuleData : public ::testing::Test
{
protected:
    std::string FilePath() const { return dir.Path() + "formula.dat"; }
    TempDirectory dir;
    RecordingDataProvider provider;
};

TEST_F(FormuleData, FileAndReplyOfTheSameBytesGiveTheSameBody)
{
    const std::string doc = EncipheredDocument(7, 20110817, L"<tech><id/></tech>");
    ASSERT_TRUE(WriteTestFile(FilePath(), doc));
    CFormuleData fromFile;
    ASSERT_EQ(fromFile.Load(FilePath().c_str()), 1);
    CFormuleData fromReply;
    CMemoryStream stream;
    FillStream(stream, doc);
    ASSERT_EQ(fromReply.SetFromReply(&stream), 1);
    EXPECT_EQ(BodyText(fromFile), L"<tech><id/></tech>");
    EXPECT_EQ(BodyText(fromReply), BodyText(fromFile));
    EXPECT_EQ(fromFile.GetHeaderValue1(), 7);
    EXPECT_EQ(fromFile.GetHeaderValue2(), 20110817);

    CFormuleData missing;
    EXPECT_EQ(missing.Load((dir.Path() + "none.dat").c_str()), 0);
    ASSERT_TRUE(WriteTestFile(dir.Path() + "short.dat", "1234567"));
    EXPECT_EQ(missing.Load((dir.Path() + "short.dat").c_str()), 0);
}

TEST_F(FormuleData, UpdateStoresTheReplyWholeThenTakesIt)
{
    ASSERT_TRUE(WriteTestFile(FilePath(), EncipheredDocument(1, 100, L"<old/>")));
    CFormuleData data;
    ASSERT_EQ(data.Load(FilePath().c_str()), 1);
    ScopedServerTime server(T(2011, 8, 17, 9, 0));

    provider.syncReply = EncipheredDocument(1, 200, L"<new/>");
    EXPECT_EQ(data.Update(&provider), S_OK);
    ASSERT_EQ(provider.requests.size(), 1u);
    EXPECT_EQ(provider.requests[0].command, 0x208);
    EXPECT_EQ(provider.requests[0].key, 0u);
    EXPECT_EQ(provider.requests[0].from, 100u);
    EXPECT_EQ(provider.requests[0].to, static_cast<uint32_t>(T(2011, 8, 17, 9, 0)));
    EXPECT_EQ(BodyText(data), L"<new/>");
    std::string onDisk;
    ASSERT_TRUE(ReadWholeFile(FilePath().c_str(), onDisk));
    EXPECT_EQ(onDisk, provider.syncReply) << "the file holds exactly what was received";
}

TEST_F(FormuleData, EmptyFailedAndShortReplies)
{
    const std::string old = EncipheredDocument(1, 100, L"<old/>");
    ASSERT_TRUE(WriteTestFile(FilePath(), old));
    CFormuleData data;
    ASSERT_EQ(data.Load(FilePath().c_str()), 1);
    std::string onDisk;

    provider.syncOk = 0;
    EXPECT_EQ(data.Update(&provider), E_FAIL);
    provider.syncOk = 1;
    provider.syncReply.clear();
    EXPECT_EQ(data.Update(&provider), S_OK) << "an empty reply: nothing newer";
    provider.syncReply = "1234";
    EXPECT_EQ(data.Update(&provider), E_FAIL) << "too short to be stored";
    EXPECT_EQ(BodyText(data), L"<old/>");
    ASSERT_TRUE(ReadWholeFile(FilePath().c_str(), onDisk));
    EXPECT_EQ(onDisk, old);

    // Exactly the two header words: stored, and the body becomes empty.
    provider.syncReply = std::string("\x01\0\0\0\x2C\x01\0\0", 8);
    EXPECT_EQ(data.Update(&provider), S_OK);
    int32_t length = -1;
    data.GetBuffer(&length);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(data.GetHeaderValue2(), 300);
    ASSERT_TRUE(ReadWholeFile(FilePath().c_str(), onDisk));
    EXPECT_EQ(onDisk.size(), 8u);
}

std::wstring Nested(int depth)
{
    std::wstring xml;
    for (int i = 0; i < depth; ++i)
        xml += L"<a>";
    for (int i = 0; i < depth; ++i)
        xml += L"</a>";
    return xml;
}

// Only a document the definition store can read is written and taken.
TEST_F(FormuleData, RepliesThatDecipherToNoDocumentAreNeitherWrittenNorTaken)
{
    const std::string old = EncipheredDocument(1, 100, L"<old/>");
    ASSERT_TRUE(WriteTestFile(FilePath(), old));
    CFormuleData data;
    ASSERT_EQ(data.Load(FilePath().c_str()), 1);
    std::wstring deep;
    for (int i = 0; i < 100000; ++i)
        deep += L"<a>";
    const std::string document = EncipheredDocument(1, 200, L"<tech><id/></tech>");
    struct Case
    {
        const char* name;
        std::string reply;
    };
    const Case cases[] = {
        { "delivered as received (no header words)", document.substr(8) },
        { "text that is no XML", EncipheredDocument(1, 200, L"formula MA := CLOSE") },
        { "unclosed elements", EncipheredDocument(1, 200, L"<tech><id>") },
        { "nested beyond any document", EncipheredDocument(1, 200, deep) },
        // Deeper than the definition store reads: stored, it would leave the next start without one.
        { "nested 40 deep", EncipheredDocument(1, 200, Nested(40)) },
        // More attributes on one element than the store reads: refused there too.
        { "an element of 100,000 attributes", EncipheredDocument(1, 200, [] {
             std::wstring wide = L"<tech><id><formula";
             for (int i = 0; i < 100000; ++i)
                 wide += L" a" + std::to_wstring(i) + L"=\"1\"";
             return wide + L"/></id></tech>";
         }()) },
        { "enciphered under another key", std::string(document.substr(0, 8)) + std::string(40, 'Q') },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        provider.syncReply = c.reply;
        EXPECT_EQ(data.Update(&provider), E_FAIL);
        EXPECT_EQ(BodyText(data), L"<old/>");
        EXPECT_EQ(data.GetHeaderValue2(), 100);
        std::string onDisk;
        ASSERT_TRUE(ReadWholeFile(FilePath().c_str(), onDisk));
        EXPECT_EQ(onDisk, old);
    }
    // The real thing still goes in, also with one byte after its last whole
    // UTF-16 unit, which the store does not read.
    provider.syncReply = document + "x";
    EXPECT_EQ(data.Update(&provider), S_OK);
    EXPECT_EQ(BodyText(data).substr(0, 18), L"<tech><id/></tech>");
    std::string onDisk;
    ASSERT_TRUE(ReadWholeFile(FilePath().c_str(), onDisk));
    EXPECT_EQ(onDisk, document + "x");
    provider.syncReply = document;
    EXPECT_EQ(data.Update(&provider), S_OK);
    EXPECT_EQ(BodyText(data), L"<tech><id/></tech>");
}

TEST_F(FormuleData, AFailedWriteKeepsTheOldFileAndTheOldBody)
{
    const std::string old = EncipheredDocument(1, 100, L"<old/>");
    ASSERT_TRUE(WriteTestFile(FilePath(), old));
    CFormuleData data;
    ASSERT_EQ(data.Load(FilePath().c_str()), 1);
    // The file is held open without sharing, so it cannot be replaced.
    HANDLE held = ::CreateFileA(FilePath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    provider.syncReply = EncipheredDocument(1, 200, L"<new/>");
    EXPECT_EQ(data.Update(&provider), E_FAIL);
    ::CloseHandle(held);
    EXPECT_EQ(BodyText(data), L"<old/>");
    EXPECT_EQ(data.GetHeaderValue2(), 100);
    std::string onDisk;
    ASSERT_TRUE(ReadWholeFile(FilePath().c_str(), onDisk));
    EXPECT_EQ(onDisk, old);
}

} // namespace
