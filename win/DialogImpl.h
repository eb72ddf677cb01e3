#pragma once
// Dialogs from resource templates: T names its template with
//     enum { IDD = IDD_MY_DIALOG };
// and handles WM_INITDIALOG and its commands in its message map. A handled
// message's result reaches the dialog manager the way it expects: directly
// for the messages that answer with a value, through DWLP_MSGRESULT otherwise.
#include <windows.h>
#include "win/WindowImpl.h"

template <class T, class TBase = CWindow> class CDialogImpl : public CWindowImplRoot<TBase>
{
public:
    // Runs the dialog modally; returns EndDialog's result, -1 when the
    // template could not be loaded or the dialog not created.
    INT_PTR DoModal(HWND parent = ::GetActiveWindow(), LPARAM initParam = 0)
    {
        m_modal = true;
        this->BeginCreation(nullptr, true);
        INT_PTR result = ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(T::IDD), parent,
            &CWindowRouter::DialogProc, initParam);
        this->EndCreation();
        return result;
    }

    // The same from a template in memory.
    INT_PTR DoModalIndirect(
        const DLGTEMPLATE* dialogTemplate, HWND parent = ::GetActiveWindow(), LPARAM initParam = 0)
    {
        m_modal = true;
        this->BeginCreation(nullptr, true);
        INT_PTR result = ::DialogBoxIndirectParamA(
            ::GetModuleHandleA(nullptr), dialogTemplate, parent, &CWindowRouter::DialogProc, initParam);
        this->EndCreation();
        return result;
    }

    // Creates the dialog modelessly; the caller's message loop runs it.
    HWND Create(HWND parent, LPARAM initParam = 0)
    {
        m_modal = false;
        this->BeginCreation(nullptr, true);
        HWND hwnd = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(T::IDD), parent,
            &CWindowRouter::DialogProc, initParam);
        this->EndCreation();
        return hwnd;
    }

    // The same from a template in memory.
    HWND CreateIndirect(const DLGTEMPLATE* dialogTemplate, HWND parent, LPARAM initParam = 0)
    {
        m_modal = false;
        this->BeginCreation(nullptr, true);
        HWND hwnd = ::CreateDialogIndirectParamA(
            ::GetModuleHandleA(nullptr), dialogTemplate, parent, &CWindowRouter::DialogProc, initParam);
        this->EndCreation();
        return hwnd;
    }

    // Ends a modal dialog with the result; a modeless one is destroyed.
    BOOL EndDialog(INT_PTR result)
    {
        if (m_modal)
            return ::EndDialog(this->m_hWnd, result);
        return ::DestroyWindow(this->m_hWnd);
    }

protected:
    CDialogImpl()
        : m_modal(false)
    {
    }

private:
    bool m_modal;
};
