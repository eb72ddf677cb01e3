// COM helpers: reference counting, interface lookup, owners of BSTR, VARIANT, STGMEDIUM.
#include <windows.h>
#include <gtest/gtest.h>
#include "win/Com.h"
#include "win/DispEventSink.h"

namespace {

int g_alive = 0;

// A drop source is a small real interface to implement.
class CTestDropSource : public CUnknownImpl<IDropSource>
{
public:
    CTestDropSource() { ++g_alive; }
    ~CTestDropSource() override { --g_alive; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override
    {
        return escape ? DRAGDROP_S_CANCEL : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

class CTestEventSink : public CDispEventSink
{
public:
    CTestEventSink()
        : CDispEventSink(IID_IDispatch)
    {
    }
    ~CTestEventSink() = default;

private:
    HRESULT OnEvent(DISPID, DISPPARAMS*) override { return S_OK; }
};

} // namespace

TEST(Com, UnknownBaseCountsAndAnswersItsInterfaces)
{
    CTestDropSource* raw = new CTestDropSource;
    EXPECT_EQ(g_alive, 1);
    {
        CComPtr<IDropSource> source;
        source.Attach(raw); // takes the creator's reference
        CComPtr<IUnknown> unknown;
        EXPECT_EQ(source.QueryInterface(unknown), S_OK);
        EXPECT_TRUE(unknown.Get() != nullptr);
        CComPtr<IDataObject> data;
        EXPECT_EQ(source.QueryInterface(data), E_NOINTERFACE);
        EXPECT_TRUE(data.Get() == nullptr);
        EXPECT_EQ(source->QueryContinueDrag(TRUE, 0), DRAGDROP_S_CANCEL);

        CComPtr<IDropSource> copy = source;
        CComPtr<IDropSource> moved = std::move(copy);
        EXPECT_TRUE(copy.Get() == nullptr);
        EXPECT_EQ(moved.Get(), source.Get());
        EXPECT_EQ(raw->AddRef(), 4u); // source, unknown, moved, and this call
        raw->Release();
    }
    EXPECT_EQ(g_alive, 0);
}

TEST(Com, OwnersReleaseWhatTheyHold)
{
    CBstr text(L"上证指数");
    EXPECT_EQ(text.Length(), 4u);
    EXPECT_EQ(text.ToWide(), L"上证指数");

    CVariant number(42L);
    CVariant copy = number;
    EXPECT_EQ(copy.ChangeType(VT_BSTR), S_OK);
    EXPECT_EQ(std::wstring(copy.bstrVal), L"42");
    EXPECT_EQ(number.vt, VT_I4);

    CStgMedium medium;
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = ::GlobalAlloc(GMEM_MOVEABLE, 16);
    ASSERT_TRUE(medium.hGlobal != nullptr);
    HGLOBAL held = medium.hGlobal;
    medium.Release();
    EXPECT_EQ(medium.tymed, static_cast<DWORD>(TYMED_NULL));
    EXPECT_EQ(::GlobalSize(held), 0u); // freed

    COleScope ole; // nested in the test main's own initialisation
    EXPECT_TRUE(ole.Succeeded());
}

// A sink is told about a missing source or cookie and about a source that is
// no connectable object, and asks nothing of such a source.
TEST(Com, AnEventSinkRefusesWhatItCannotConnectTo)
{
    CTestEventSink sink;
    DWORD cookie = 77;
    EXPECT_EQ(sink.AdviseTo(nullptr, &cookie), E_POINTER);
    EXPECT_EQ(sink.UnadviseFrom(nullptr, cookie), E_POINTER);
    EXPECT_EQ(cookie, 77u);

    CTestDropSource* raw = new CTestDropSource;
    CComPtr<IUnknown> plain;
    plain.Attach(raw);
    EXPECT_EQ(sink.AdviseTo(plain.Get(), nullptr), E_POINTER);
    EXPECT_EQ(sink.AdviseTo(plain.Get(), &cookie), E_NOINTERFACE);
    EXPECT_EQ(sink.UnadviseFrom(plain.Get(), cookie), E_NOINTERFACE);
    EXPECT_EQ(cookie, 77u);
    EXPECT_EQ(raw->AddRef(), 2u) << "the sink keeps no reference to the source";
    raw->Release();
}
