// The payload of a header drag: the source list's handle, accepted only by
// that list.
#include "skin/DataObject.h"
#include "skin/ListDragPayload.h"
#include <gtest/gtest.h>

namespace {

// The list-bound data object renders the payload of one list.
class CPayloadObject : public CDataObject
{
public:
    explicit CPayloadObject(HWND list)
        : m_list(list)
    {
    }
    bool RenderData(const FORMATETC& format, STGMEDIUM& medium, bool) override
    {
        return RenderListPayload(m_list, format, medium);
    }

private:
    HWND m_list;
};

HWND FakeHandle(uintptr_t value)
{
    return reinterpret_cast<HWND>(value);
}

}

TEST(ListDragPayload, HoldsAWholeHandleAndOnlyItsOwnListTakesIt)
{
    // A handle value with high bits set survives where the pointer size allows.
    const HWND source = FakeHandle(sizeof(HWND) == 8 ? 0x123456789ABCull : 0x89ABCDEFu);
    const HWND other = FakeHandle(0x4242);

    CComPtr<IDataObject> object;
    object.Attach(new CPayloadObject(source));
    FORMATETC format = { HeaderClipboardFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL };
    STGMEDIUM empty = {};
    ASSERT_EQ(S_OK, object->SetData(&format, &empty, TRUE));

    CStgMedium medium;
    ASSERT_EQ(S_OK, object->GetData(&format, &medium));
    EXPECT_GE(::GlobalSize(medium.hGlobal), sizeof(HWND));
    EXPECT_EQ(source, ReadListPayload(medium));
    EXPECT_TRUE(IsOwnHeaderPayload(source, format.cfFormat, medium));
    // Another list of the same kind refuses it, and so does anyone for another format.
    EXPECT_FALSE(IsOwnHeaderPayload(other, format.cfFormat, medium));
    EXPECT_FALSE(IsOwnHeaderPayload(source, CF_TEXT, medium));

    // Other formats are not rendered.
    FORMATETC text = { CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL };
    STGMEDIUM none = {};
    EXPECT_FALSE(RenderListPayload(source, text, none));
    EXPECT_EQ(static_cast<DWORD>(TYMED_NULL), none.tymed);
}

TEST(ListDragPayload, ShortOrForeignBlocksNameNoList)
{
    // A 2-byte block from some other program: too small to hold a handle.
    CStgMedium small;
    small.tymed = TYMED_HGLOBAL;
    small.hGlobal = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 2);
    EXPECT_EQ(nullptr, ReadListPayload(small));
    EXPECT_FALSE(IsOwnHeaderPayload(nullptr, HeaderClipboardFormat(), small));

    STGMEDIUM stream = {};
    stream.tymed = TYMED_ISTREAM;
    EXPECT_EQ(nullptr, ReadListPayload(stream));
}
