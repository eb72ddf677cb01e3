// The drag-and-drop companion: registration, and a whole drag run through
// the platform with a source that drops at once over a registered list.
#include "ListNotifyRecorder.h"
#include "../support/WindowTesting.h"
#include "skin/ListDragDrop.h"
#include "skin/ListDragPayload.h"
#include <gtest/gtest.h>

namespace {

// Takes the first payload it is shown and reports what it saw.
class CRecordingTarget : public CUnknownImpl<IDropTarget>
{
public:
    explicit CRecordingTarget(HWND list)
        : m_list(list)
    {
    }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override
    {
        ++enters;
        *effect = Decide(data);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override
    {
        *effect = lastEffect;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override
    {
        ++drops;
        *effect = Decide(data);
        return S_OK;
    }

    int enters = 0;
    int drops = 0;
    DWORD lastEffect = DROPEFFECT_NONE;

private:
    DWORD Decide(IDataObject* data)
    {
        FORMATETC format = { HeaderClipboardFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL };
        CStgMedium medium;
        lastEffect = DROPEFFECT_NONE;
        if (SUCCEEDED(data->GetData(&format, &medium)) && IsOwnHeaderPayload(m_list, format.cfFormat, medium))
            lastEffect = DROPEFFECT_MOVE;
        return lastEffect;
    }
    HWND m_list;
};

// Drops as soon as it is asked (no button is down), or cancels after a few rounds.
class CDroppingSource : public CUnknownImpl<IDropSource>
{
public:
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override
    {
        return ++asked > 20 ? DRAGDROP_S_CANCEL : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
    int asked = 0;
};

// Renders the payload of one window.
struct CPayloadRenderer
{
    HWND list;
    bool RenderData(const FORMATETC& format, STGMEDIUM& medium, bool) { return RenderListPayload(list, format, medium); }
};

}

TEST(ListDragDrop, RegistersOnceAndRevokes)
{
    CNotifyRecorder list;
    RECT place = { 0, 0, 100, 100 };
    ASSERT_TRUE(list.Create(nullptr, place));
    CComPtr<IDropTarget> target;
    target.Attach(new CRecordingTarget(list));
    {
        CDragDrop first;
        EXPECT_TRUE(first.Attach(list, target));
        // A window takes one registration: the second companion is left without one.
        CDragDrop second;
        EXPECT_FALSE(second.Attach(list, target));
        EXPECT_FALSE(second.IsRegistered());
        EXPECT_FALSE(second.Attach(nullptr, target));
    }
    // The first revoked its registration when it went.
    CDragDrop again;
    EXPECT_TRUE(again.Attach(list, target));
    again.Revoke();
    list.DestroyWindow();
}

TEST(ListDragDrop, ADragIsAcceptedOnlyByItsOwnList)
{
    CNotifyRecorder source;
    CNotifyRecorder other;
    RECT left = { 200, 200, 400, 300 };
    RECT right = { 500, 200, 700, 300 };
    ASSERT_TRUE(source.Create(nullptr, left));
    ASSERT_TRUE(other.Create(nullptr, right));
    ShowWithoutActivating(source);
    ShowWithoutActivating(other);

    CComPtr<IDropTarget> sourceTarget, otherTarget;
    CRecordingTarget* onSource = new CRecordingTarget(source);
    CRecordingTarget* onOther = new CRecordingTarget(other);
    sourceTarget.Attach(onSource);
    otherTarget.Attach(onOther);
    CPayloadRenderer renderer { source.m_hWnd };
    CComPtr<IDropSource> dropSource;
    dropSource.Attach(new CDroppingSource());
    CDragDrop dragDrop;
    ASSERT_TRUE(dragDrop.Attach(source, sourceTarget, dropSource, new CDataObjectT<CPayloadRenderer>(renderer, dropSource)));
    // The companion holds its own reference to the data object created for it.
    dragDrop.GetDataObject()->Release();
    CDragDrop otherDragDrop;
    ASSERT_TRUE(otherDragDrop.Attach(other, otherTarget));

    // Over the list it started in, the drop moves; over another list, nothing.
    ::SetCursorPos(300, 250);
    PumpPendingMessages();
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_MOVE), dragDrop.RunDrag(HeaderClipboardFormat(), DROPEFFECT_MOVE));
    EXPECT_EQ(1, onSource->drops);
    ::SetCursorPos(600, 250);
    PumpPendingMessages();
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), dragDrop.RunDrag(HeaderClipboardFormat(), DROPEFFECT_MOVE));
    // The other list saw the drag, refused it, and so was never asked to drop.
    EXPECT_EQ(1, onOther->enters);
    EXPECT_EQ(0, onOther->drops);
    // Offering the format before each drag keeps one entry.
    EXPECT_EQ(1u, dragDrop.GetDataObject()->FormatCount());

    otherDragDrop.Revoke();
    dragDrop.Revoke();
    other.DestroyWindow();
    source.DestroyWindow();
}
