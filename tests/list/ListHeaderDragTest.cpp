// Header dragging and title tips on the real list: its registered drop
// target driven with data objects as other windows and programs would hand
// them in, the registration's life with the window, and whole drags run
// through the platform's modal loop with the pointer placed on the screen.
#include "tests/list/SkinListTestHost.h"
#include "tests/support/GdiCount.h"
#include "skin/ListDragPayload.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kUnmoved = { "a", "b", "c" };
const std::vector<std::string> kFirstBeforeThird = { "b", "a", "c" };

// Offers one clipboard format whose data is a handle payload, as a list's
// data object does; anything else it does not have.
class CHandlePayloadData : public CUnknownImpl<IDataObject>
{
public:
    CHandlePayloadData(CLIPFORMAT format, HWND named)
        : m_format(format)
        , m_named(named)
    {
    }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override
    {
        if (!format || !medium)
            return E_INVALIDARG;
        if (!Offers(*format))
            return DV_E_FORMATETC;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = MakeListPayload(m_named);
        medium->pUnkForRelease = nullptr;
        return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override
    {
        return format && Offers(*format) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC** out) override
    {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override
    {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    bool Offers(const FORMATETC& format) const
    {
        return format.cfFormat == m_format && (format.tymed & TYMED_HGLOBAL) && format.dwAspect == DVASPECT_CONTENT;
    }
    CLIPFORMAT m_format;
    HWND m_named;
};

CComPtr<IDataObject> PayloadOf(HWND named, CLIPFORMAT format = HeaderClipboardFormat())
{
    CComPtr<IDataObject> data;
    data.Attach(new CHandlePayloadData(format, named));
    return data;
}

std::vector<std::string> Titles(const CSkinListImpl& list)
{
    std::vector<std::string> titles;
    for (int i = 0; i < list.GetColumnCount(); ++i) {
        SkinListColumn column;
        list.GetColumn(i, column);
        titles.push_back(column.title);
    }
    return titles;
}

// Columns "a", "b", "c", 60, 80 and 100 pixels wide, and a few rows.
void AddColumnsAndRows(CSkinListImpl& list)
{
    list.AddColumn("a", 60);
    list.AddColumn("b", 80);
    list.AddColumn("c", 100);
    for (const char* text : { "one", "two", "three" })
        list.InsertItem(text);
}

// Back to a, b, c: each in turn to the end.
void RestoreOrder(CSkinListImpl& list)
{
    for (const std::string& title : kUnmoved) {
        const std::vector<std::string> now = Titles(list);
        const int at = static_cast<int>(std::find(now.begin(), now.end(), title) - now.begin());
        list.MoveColumn(at, list.GetColumnCount() - 1);
    }
}

POINTL ScreenPoint(HWND list, int x, int y)
{
    POINT p = { x, y };
    ::ClientToScreen(list, &p);
    return POINTL { p.x, p.y };
}

}

TEST(ListHeaderDrag, TheListsDropTargetMovesOnlyAHeaderDraggedWithinIt)
{
    ListWindow w;
    ASSERT_TRUE(w.Create(400, 200));
    CTestSkinList& list = w.list;
    ListWindow otherWindow;
    ASSERT_TRUE(otherWindow.Create(400, 200));
    AddColumnsAndRows(list);
    AddColumnsAndRows(otherWindow.list);
    IDropTarget* target = list.GetDragDrop().GetDropTarget();
    ASSERT_NE(nullptr, target);
    const int middle = list.GetHeaderHeight() / 2;

    struct Case
    {
        const char* what;
        HWND named;
        CLIPFORMAT format;
        int x, y; // client point of the drop
        DWORD effect;
        std::vector<std::string> order;
    };
    const Case cases[] = {
        // Header 0 over the left half of header 2 lands between 1 and 2.
        { "its own header", list, HeaderClipboardFormat(), 150, middle, DROPEFFECT_MOVE, kFirstBeforeThird },
        { "another list's header", otherWindow.list, HeaderClipboardFormat(), 150, middle, DROPEFFECT_NONE, kUnmoved },
        { "a handle of no window", nullptr, HeaderClipboardFormat(), 150, middle, DROPEFFECT_NONE, kUnmoved },
        { "another format naming the list", list, CF_TEXT, 150, middle, DROPEFFECT_NONE, kUnmoved },
        { "its own right half", list, HeaderClipboardFormat(), 50, middle, DROPEFFECT_NONE, kUnmoved },
        { "below the header", list, HeaderClipboardFormat(), 150, middle + list.GetHeaderHeight(), DROPEFFECT_NONE,
            kUnmoved },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RestoreOrder(list);
        // Set as the list's own input does when the drag starts: only the
        // payload and the place decide.
        list.ViewState()->dragSource = 0;
        CComPtr<IDataObject> data = PayloadOf(c.named, c.format);
        const POINTL at = ScreenPoint(list, c.x, c.y);
        DWORD effect = DROPEFFECT_MOVE;
        ASSERT_EQ(S_OK, target->DragEnter(data, 0, at, &effect));
        EXPECT_EQ(c.effect, effect);
        EXPECT_EQ(c.effect == DROPEFFECT_MOVE, list.GetDropArrows().IsWindowVisible() != FALSE);
        effect = DROPEFFECT_MOVE;
        ASSERT_EQ(S_OK, target->DragOver(0, at, &effect));
        EXPECT_EQ(c.effect, effect);
        // Dropped even where the target said no: the list still refuses.
        effect = DROPEFFECT_MOVE;
        ASSERT_EQ(S_OK, target->Drop(data, 0, at, &effect));
        EXPECT_EQ(c.effect, effect);
        EXPECT_EQ(c.order, Titles(list));
        EXPECT_FALSE(list.GetDropArrows().IsWindowVisible());
        // The other list never moves.
        EXPECT_EQ(kUnmoved, Titles(otherWindow.list));
    }

    // A drag that leaves the list takes the arrows with it.
    RestoreOrder(list);
    CComPtr<IDataObject> data = PayloadOf(list);
    DWORD effect = DROPEFFECT_MOVE;
    ASSERT_EQ(S_OK, target->DragEnter(data, 0, ScreenPoint(list, 150, middle), &effect));
    EXPECT_TRUE(list.GetDropArrows().IsWindowVisible());
    ASSERT_EQ(S_OK, target->DragLeave());
    EXPECT_FALSE(list.GetDropArrows().IsWindowVisible());
    EXPECT_EQ(kUnmoved, Titles(list));
}

TEST(ListHeaderDrag, TheRegistrationLivesAsLongAsTheWindow)
{
    for (int cycle = 0; cycle < 3; ++cycle) {
        SCOPED_TRACE(cycle);
        CComPtr<IDropTarget> kept;
        {
            ListWindow w;
            ASSERT_TRUE(w.Create(300, 150));
            CTestSkinList& list = w.list;
            AddColumnsAndRows(list);
            ASSERT_TRUE(list.GetDragDrop().IsRegistered());
            kept = list.GetDragDrop().GetDropTarget();
            ASSERT_NE(nullptr, kept.Get());
            // The platform holds it: a window takes one registration.
            CComPtr<IDropTarget> second;
            second.Attach(new CDropTarget(list));
            EXPECT_EQ(DRAGDROP_E_ALREADYREGISTERED, ::RegisterDragDrop(list, second));
            list.DestroyWindow();
            EXPECT_FALSE(list.GetDragDrop().IsRegistered());
            EXPECT_EQ(nullptr, list.GetDragDrop().GetDropTarget());
        }
        // Nobody but this test holds the target any more, and, let go of by
        // its list, it refuses even that list's own payload.
        kept->AddRef();
        EXPECT_EQ(1u, kept->Release());
        CComPtr<IDataObject> data = PayloadOf(nullptr);
        DWORD effect = DROPEFFECT_MOVE;
        EXPECT_EQ(S_OK, kept->DragEnter(data, 0, POINTL { 10, 10 }, &effect));
        EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), effect);
        kept->DragLeave();
    }
}

TEST(ListTitleTip, ShowsTheWholeTextOfAClippedCellOfTheList)
{
    ListWindow w;
    ASSERT_TRUE(w.Create(400, 200));
    CTestSkinList& list = w.list;
    list.AddColumn("name", 60);
    list.AddColumn("value", 80);
    list.InsertItem("a name far too long for sixty pixels");
    list.InsertItem("short");
    for (int i = 0; i < 40; ++i)
        list.InsertItem("more");
    list.UpdateScrollBars();
    list.SetItemToolTip(0, "the row's own tip");
    CTitleTip* tip = list.TitleTip();
    ASSERT_NE(nullptr, tip);
    const int row0 = list.GetHeaderHeight() + list.GetRowHeight() / 2;
    const int row1 = row0 + list.GetRowHeight();

    // Over the clipped text the tip shows over the cell and holds the capture.
    list.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, row0));
    EXPECT_TRUE(tip->IsWindowVisible());
    EXPECT_EQ(tip->m_hWnd, ::GetCapture());
    CRect cell;
    ASSERT_TRUE(list.GetCellRect(0, 0, cell));
    list.ClientToScreen(&cell);
    const CRect shown = tip->GetWindowRect();
    EXPECT_EQ(cell.top, shown.top);
    EXPECT_GT(shown.Width(), cell.Width());
    // Scrolling the row away hides it and lets the capture go.
    EXPECT_TRUE(list.EnsureVisible(40, -1));
    EXPECT_FALSE(tip->IsWindowVisible());
    EXPECT_NE(tip->m_hWnd, ::GetCapture());
    EXPECT_TRUE(list.EnsureVisible(0, -1));

    // A text that fits shows none.
    list.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, row1));
    EXPECT_FALSE(tip->IsWindowVisible());
    // Back over the long text, then a cancelled mode hides it.
    list.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(21, row0));
    EXPECT_TRUE(tip->IsWindowVisible());
    list.SendMessage(WM_CANCELMODE);
    EXPECT_FALSE(tip->IsWindowVisible());

    // A change of the system's settings makes it anew with the list's look.
    list.SendMessage(WM_SETTINGCHANGE);
    ASSERT_NE(nullptr, list.TitleTip());
    EXPECT_FALSE(list.TitleTip()->DrawsGradient());
    list.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(22, row0));
    EXPECT_TRUE(list.TitleTip()->IsWindowVisible());
    list.SendMessage(WM_CANCELMODE);
}

// The platform's modal drag loop follows the real pointer: these place it
// with SetCursorPos and let the drag run with no mouse button down, so the
// list's drop source drops at once where the pointer is.
TEST(ListHeaderDragOnTheScreen, APressedHeaderMovedAwayIsDroppedWhereThePointerIs)
{
    ListWindow w;
    ASSERT_TRUE(w.Create(400, 200));
    CTestSkinList& list = w.list;
    ListWindow otherWindow;
    ASSERT_TRUE(otherWindow.Create(400, 200));
    otherWindow.host.SetWindowPos(nullptr, 500, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    AddColumnsAndRows(list);
    AddColumnsAndRows(otherWindow.list);
    const int middle = list.GetHeaderHeight() / 2;
    auto dragFirstHeader = [&] {
        list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, middle));
        EXPECT_EQ(0, list.ViewState()->pressedHeader);
        // More than 4 pixels: the drag runs and is over when the move returns.
        list.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(36, middle));
    };
    auto placePointer = [](HWND window, int x, int y) {
        const POINTL at = ScreenPoint(window, x, y);
        ::SetCursorPos(at.x, at.y);
        PumpPendingMessages();
    };

    // Over the left half of its own third header: it lands between the others.
    placePointer(list, 150, middle);
    dragFirstHeader();
    EXPECT_EQ(kFirstBeforeThird, Titles(list));
    // The gesture is over whatever the outcome.
    EXPECT_EQ(-1, list.ViewState()->pressedHeader);
    EXPECT_EQ(-1, list.ViewState()->dragSource);
    EXPECT_FALSE(list.GetDropArrows().IsWindowVisible());
    EXPECT_NE(list.m_hWnd, ::GetCapture());

    // Over another list of the same kind: neither changes.
    RestoreOrder(list);
    placePointer(otherWindow.list, 150, middle);
    dragFirstHeader();
    EXPECT_EQ(kUnmoved, Titles(list));
    EXPECT_EQ(kUnmoved, Titles(otherWindow.list));
    EXPECT_FALSE(otherWindow.list.GetDropArrows().IsWindowVisible());

    // Over the rows of its own list: nothing moves.
    placePointer(list, 150, middle + 2 * list.GetRowHeight());
    dragFirstHeader();
    EXPECT_EQ(kUnmoved, Titles(list));

    // The drag's picture goes with each drag.
    placePointer(list, 150, middle);
    EXPECT_EQ(0u, GdiGrowthOver(dragFirstHeader, 5));
}

TEST(ListHeaderDragOnTheScreen, EscapeCancelsTheDrag)
{
    ListWindow w;
    ASSERT_TRUE(w.Create(400, 200));
    CTestSkinList& list = w.list;
    AddColumnsAndRows(list);
    const int middle = list.GetHeaderHeight() / 2;
    const POINTL at = ScreenPoint(list, 150, middle);
    ::SetCursorPos(at.x, at.y);
    PumpPendingMessages();
    // The button held (as the thread's key state tells the drag loop), and
    // Esc already waiting in the queue when the loop starts.
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_LBUTTON] = 0x80;
    ::SetKeyboardState(keys);
    ::PostMessageA(list, WM_KEYDOWN, VK_ESCAPE, 1);
    list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, middle));
    list.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(36, middle));
    keys[VK_LBUTTON] = 0;
    ::SetKeyboardState(keys);
    EXPECT_EQ(kUnmoved, Titles(list));
    EXPECT_EQ(-1, list.ViewState()->pressedHeader);
    EXPECT_FALSE(list.GetDropArrows().IsWindowVisible());
}
