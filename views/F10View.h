#pragma once
// The company information ("F10") of the current stock: sixteen section tabs
// over a read-only text pane. The text arrives later than the view is shown,
// on a download worker; the view shows a waiting text until then.
#include <windows.h>
#include <cstdint>
#include <string>

#include "base/Thread.h"
#include "data/F10Sections.h"
#include "skin/SkinTabManager.h"
#include "views/BaseView.h"
#include "win/Controls.h"
#include "win/UiTaskQueue.h"

// Where the section tabs go in a client area: between margins of 100 pixels
// when all tabs fit in one row with room to spare, otherwise centred in the
// width of the rows' first row.
CRect F10TabArea(const RECT& client, int tabCount, int itemWidth, int rows);

class CF10View : public CBaseView, public CTabNotify
{
public:
    enum : int {
        kSectionCount = kF10TitleCount,
        kFirstTabId = 100,
        kTabWidth = 70,
        kTabRows = 2,
    };

    // The current stock's F10 text comes from the source (null: the data
    // center).
    explicit CF10View(IViewDataSource* source = nullptr);
    ~CF10View() override;

    // Registers the view for the key and wheel messages of the panel.
    void SetOwner(CMessageProcessor* owner);

    int Deactivate() override;
    int OnQuickCode(int32_t) override { return 1; }
    void Activate(uint32_t key) override;
    // False, with nothing done, for an index outside the sections.
    virtual bool ShowSection(int index);
    void OnTabChanged(CSkinTabManagerItem* tab) override;
    int Accept(UINT messageId, WPARAM wParam, LPARAM lParam) override;
    // A data notice (worker thread, data lock held): a change of the shown
    // stock is copied here and shown on the UI thread.
    void OnF10DataArrived(uint32_t key, int kind);

    int GetCurrentSection() const { return m_section; }
    HWND GetEditWindow() const { return m_edit.m_hWnd; }
    CSkinTabManager& GetTabs() { return m_tabs; }

    BEGIN_MSG_MAP(CF10View)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_PRINTCLIENT, OnPaint)
        MESSAGE_HANDLER(WM_CTLCOLOREDIT, OnCtlColorEdit)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnIgnoredMouse)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnIgnoredMouse)
        MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnIgnoredMouse)
        CHAIN_MSG_MAP_MEMBER(m_tasks)
        CHAIN_MSG_MAP(CBaseView)
    END_MSG_MAP()

private:
    enum : int { kTaskShowArrivedSections };

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCtlColorEdit(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnIgnoredMouse(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    // UI thread: the sections that arrived are shown.
    void ShowArrivedSections();

    void Layout();
    void ShowWaitingText();

    CEdit m_edit;
    HBRUSH m_editBrush; // the GDI object cache owns it
    CriticalSection m_lock; // the snapshot
    bool m_hasSnapshot;
    uint32_t m_snapshotKey;
    F10SectionMap m_sections;
    CSkinTabManager m_tabs;
    int m_section;
    CUiTaskQueue m_tasks;
};
