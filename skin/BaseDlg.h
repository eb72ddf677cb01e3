#pragma once
// The base of every skinned modal dialog: the skinned frame and caption, the
// skinned control objects that dress the dialog's buttons, check boxes and
// radio buttons, and the image each of those controls wears. A dialog class
// derives from CDialogImpl and from this, tells the frame its images before
// its window exists, attaches the frame when it initialises, and chains to
// this map what its own map leaves.
#include "skin/NcDraw.h"
#include "win/MessageMap.h"
#include "win/WindowImpl.h"
#include <memory>
#include <string>
#include <vector>

class CBaseDlg
{
public:
    CBaseDlg() = default;
    // The control objects go first to last; their windows, the dialog's
    // children, are gone before the dialog object is.
    virtual ~CBaseDlg();
    CBaseDlg(const CBaseDlg&) = delete;
    CBaseDlg& operator=(const CBaseDlg&) = delete;

    // Image file names of the skinned controls, by control id (and state: 0
    // unchecked, 1 checked); empty for the skinner's default image.
    virtual std::string GetButtonImage(int id);
    virtual std::string GetCheckBoxImage(int id, int state);
    virtual std::string GetRadioImage(int id, int state);

    // The dialog owns every control object the skinner makes for it, in order.
    void AddSkinnedControl(std::unique_ptr<CWindowRouter> control);
    size_t GetSkinnedControlCount() const { return m_controls.size(); }

    CNcDraw& GetFrame() { return m_frame; }

    // Ends the dialog with IDCANCEL; the skinned dialogs' shared Cancel handler.
    LRESULT EndDialogCancel(WORD, WORD, HWND, BOOL&);
    // Ends the dialog with IDOK; the shared OK handler of the dialogs that need no checks.
    LRESULT EndDialogOk(WORD, WORD, HWND, BOOL&);

    BEGIN_MSG_MAP(CBaseDlg)
        m_dialog = hWnd;
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_PRINTCLIENT, OnPaint)
        CHAIN_MSG_MAP_MEMBER(m_frame)
    END_MSG_MAP()

protected:
    CNcDraw m_frame;

private:
    // The base paints no client background: a dialog paints its own on
    // WM_ERASEBKGND (and WM_PRINTCLIENT with a DC), keeping the frame clear.
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);

    std::vector<std::unique_ptr<CWindowRouter>> m_controls;
    HWND m_dialog = nullptr;
};
