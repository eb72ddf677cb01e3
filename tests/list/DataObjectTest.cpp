// The drag-and-drop data object and its format enumerator, without windows.
#include "skin/DataObject.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {

const CLIPFORMAT kFormat = static_cast<CLIPFORMAT>(::RegisterClipboardFormatA("ZtListTestFormat"));

FORMATETC Format(CLIPFORMAT format, DWORD tymed = TYMED_HGLOBAL, DWORD aspect = DVASPECT_CONTENT)
{
    FORMATETC f = { format, nullptr, aspect, -1, tymed };
    return f;
}

HGLOBAL GlobalWith(const char* text)
{
    size_t size = std::strlen(text) + 1;
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(::GlobalLock(memory), text, size);
    ::GlobalUnlock(memory);
    return memory;
}

std::string GlobalText(HGLOBAL memory)
{
    const char* p = static_cast<const char*>(::GlobalLock(memory));
    std::string text(p ? p : "");
    ::GlobalUnlock(memory);
    return text;
}

// Renders the text "rendered" on demand and counts its calls.
class CRenderingObject : public CDataObject
{
public:
    bool RenderData(const FORMATETC& format, STGMEDIUM& medium, bool) override
    {
        ++renders;
        if (failRender || format.cfFormat != kFormat)
            return false;
        medium.tymed = TYMED_HGLOBAL;
        medium.hGlobal = GlobalWith("rendered");
        return true;
    }
    int renders = 0;
    bool failRender = false;
};

}

TEST(DataObject, EmptyObjectOffersNothing)
{
    CComPtr<IDataObject> object;
    object.Attach(new CDataObject());
    FORMATETC f = Format(kFormat);
    STGMEDIUM medium = {};
    EXPECT_EQ(DV_E_FORMATETC, object->GetData(&f, &medium));
    EXPECT_EQ(DV_E_TYMED, object->QueryGetData(&f));

    CComPtr<IEnumFORMATETC> formats;
    ASSERT_EQ(S_OK, object->EnumFormatEtc(DATADIR_GET, &formats));
    FORMATETC out;
    ULONG fetched = 7;
    EXPECT_EQ(S_FALSE, formats->Next(1, &out, &fetched));
    EXPECT_EQ(0u, fetched);
}

TEST(DataObject, ErrorCodes)
{
    CComPtr<IDataObject> object;
    object.Attach(new CDataObject());
    FORMATETC offered = Format(kFormat);
    STGMEDIUM empty = {};
    ASSERT_EQ(S_OK, object->SetData(&offered, &empty, TRUE));

    STGMEDIUM medium = {};
    EXPECT_EQ(E_INVALIDARG, object->GetData(nullptr, &medium));
    EXPECT_EQ(E_INVALIDARG, object->GetData(&offered, nullptr));
    EXPECT_EQ(E_INVALIDARG, object->QueryGetData(nullptr));
    EXPECT_EQ(E_INVALIDARG, object->SetData(nullptr, &empty, TRUE));
    EXPECT_EQ(E_NOTIMPL, object->GetDataHere(&offered, &medium));

    // QueryGetData: the right medium with another format, another medium, another aspect.
    FORMATETC otherFormat = Format(CF_TEXT);
    FORMATETC otherMedium = Format(kFormat, TYMED_ISTREAM);
    FORMATETC icon = Format(kFormat, TYMED_HGLOBAL, DVASPECT_ICON);
    EXPECT_EQ(S_OK, object->QueryGetData(&offered));
    EXPECT_EQ(DV_E_CLIPFORMAT, object->QueryGetData(&otherFormat));
    EXPECT_EQ(DV_E_TYMED, object->QueryGetData(&otherMedium));
    EXPECT_EQ(DV_E_DVASPECT, object->QueryGetData(&icon));
    EXPECT_EQ(DV_E_FORMATETC, object->GetData(&otherFormat, &medium));
    EXPECT_EQ(DV_E_FORMATETC, object->GetData(&icon, &medium));
    // The base object renders nothing for its empty medium.
    EXPECT_EQ(DV_E_FORMATETC, object->GetData(&offered, &medium));

    FORMATETC canonical;
    EXPECT_EQ(DATA_S_SAMEFORMATETC, object->GetCanonicalFormatEtc(&offered, &canonical));
    EXPECT_EQ(E_INVALIDARG, object->GetCanonicalFormatEtc(&offered, nullptr));

    IEnumFORMATETC* formats = reinterpret_cast<IEnumFORMATETC*>(1);
    EXPECT_EQ(E_NOTIMPL, object->EnumFormatEtc(DATADIR_SET, &formats));
    EXPECT_EQ(nullptr, formats);
    EXPECT_EQ(E_POINTER, object->EnumFormatEtc(DATADIR_GET, nullptr));
    DWORD connection = 0;
    EXPECT_EQ(OLE_E_ADVISENOTSUPPORTED, object->DAdvise(&offered, 0, nullptr, &connection));
    EXPECT_EQ(OLE_E_ADVISENOTSUPPORTED, object->EnumDAdvise(nullptr));
    EXPECT_EQ(E_NOTIMPL, object->DUnadvise(0));

    CComPtr<IDataObject> same;
    EXPECT_EQ(S_OK, object.QueryInterface(same));
    CComPtr<IDropTarget> target;
    EXPECT_EQ(E_NOINTERFACE, object.QueryInterface(target));
}

TEST(DataObject, StoredMediaAreCopiedEachWay)
{
    CComPtr<IDataObject> object;
    object.Attach(new CDataObject());
    FORMATETC f = Format(kFormat);
    // Without the release flag the object copies: the caller frees its own.
    STGMEDIUM given = {};
    given.tymed = TYMED_HGLOBAL;
    given.hGlobal = GlobalWith("first");
    ASSERT_EQ(S_OK, object->SetData(&f, &given, FALSE));
    ::ReleaseStgMedium(&given);

    CStgMedium answer;
    ASSERT_EQ(S_OK, object->GetData(&f, &answer));
    EXPECT_EQ(static_cast<DWORD>(TYMED_HGLOBAL), answer.tymed);
    EXPECT_EQ("first", GlobalText(answer.hGlobal));

    // Offering the same format again replaces its medium; the list stays one long.
    STGMEDIUM second = {};
    second.tymed = TYMED_HGLOBAL;
    second.hGlobal = GlobalWith("second");
    ASSERT_EQ(S_OK, object->SetData(&f, &second, TRUE));
    CStgMedium again;
    ASSERT_EQ(S_OK, object->GetData(&f, &again));
    EXPECT_EQ("second", GlobalText(again.hGlobal));
    EXPECT_NE(answer.hGlobal, again.hGlobal);
    EXPECT_EQ(1u, static_cast<CDataObject*>(object.Get())->FormatCount());

    // A stream is shared with one more reference.
    CComPtr<IStream> stream;
    ASSERT_EQ(S_OK, ::CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    FORMATETC sf = Format(CF_TEXT, TYMED_ISTREAM);
    STGMEDIUM streamMedium = {};
    streamMedium.tymed = TYMED_ISTREAM;
    streamMedium.pstm = stream;
    ASSERT_EQ(S_OK, object->SetData(&sf, &streamMedium, FALSE));
    CStgMedium streamAnswer;
    ASSERT_EQ(S_OK, object->GetData(&sf, &streamAnswer));
    EXPECT_EQ(stream.Get(), streamAnswer.pstm);
    stream->AddRef();
    EXPECT_EQ(3u, stream->Release()); // ours, the object's and the answer's
}

TEST(DataObject, EmptyMediumIsRenderedOnDemand)
{
    CRenderingObject* rendering = new CRenderingObject();
    CComPtr<IDataObject> object;
    object.Attach(rendering);
    FORMATETC f = Format(kFormat);
    STGMEDIUM empty = {};
    ASSERT_EQ(S_OK, object->SetData(&f, &empty, TRUE));
    EXPECT_EQ(0, rendering->renders);

    CStgMedium answer;
    ASSERT_EQ(S_OK, object->GetData(&f, &answer));
    EXPECT_EQ(1, rendering->renders);
    EXPECT_EQ("rendered", GlobalText(answer.hGlobal));

    rendering->failRender = true;
    STGMEDIUM failed = {};
    EXPECT_EQ(DV_E_FORMATETC, object->GetData(&f, &failed));
    EXPECT_EQ(static_cast<DWORD>(TYMED_NULL), failed.tymed);
}

TEST(DataObject, EnumeratorRules)
{
    std::vector<FORMATETC> list = { Format(kFormat), Format(CF_TEXT), Format(CF_BITMAP, TYMED_GDI) };
    CComPtr<IEnumFORMATETC> formats;
    formats.Attach(new CEnumFormatEtc(list));
    FORMATETC out[4];
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, formats->Next(0, out, &fetched));
    EXPECT_EQ(S_FALSE, formats->Next(1, nullptr, &fetched));
    EXPECT_EQ(S_FALSE, formats->Next(2, out, nullptr)); // more than one needs a counter
    EXPECT_EQ(S_OK, formats->Next(1, out, nullptr));
    EXPECT_EQ(kFormat, out[0].cfFormat);

    // Skipping past the end does not move.
    EXPECT_EQ(S_FALSE, formats->Skip(3));
    EXPECT_EQ(S_OK, formats->Skip(1));
    CComPtr<IEnumFORMATETC> clone;
    ASSERT_EQ(S_OK, formats->Clone(&clone));
    EXPECT_EQ(E_POINTER, formats->Clone(nullptr));

    // Asking for more than is left copies the rest and answers S_FALSE.
    EXPECT_EQ(S_FALSE, formats->Next(4, out, &fetched));
    EXPECT_EQ(1u, fetched);
    EXPECT_EQ(static_cast<CLIPFORMAT>(CF_BITMAP), out[0].cfFormat);
    EXPECT_EQ(S_FALSE, formats->Next(1, out, &fetched));

    // The clone kept its own cursor; Reset starts over.
    EXPECT_EQ(S_OK, clone->Next(1, out, &fetched));
    EXPECT_EQ(static_cast<CLIPFORMAT>(CF_BITMAP), out[0].cfFormat);
    EXPECT_EQ(S_OK, formats->Reset());
    EXPECT_EQ(S_OK, formats->Next(3, out, &fetched));
    EXPECT_EQ(3u, fetched);
    EXPECT_EQ(static_cast<CLIPFORMAT>(CF_TEXT), out[1].cfFormat);
}
