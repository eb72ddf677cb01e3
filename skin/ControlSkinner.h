#pragma once
// Dresses a dialog's buttons when it initialises: push buttons get an image
// with their caption, automatic check boxes and radio buttons an unchecked and
// a checked strip with their caption. The dialog chooses images per control
// through its CBaseDlg slots and owns the objects made; a control whose image
// files are missing keeps the system look. UI thread only.
#include "skin/BaseDlg.h"
#include <windows.h>

// Each returns true when the control was skinned (and its object appended to
// the dialog's list).
bool SkinPushButton(CBaseDlg& dialog, HWND control);
bool SkinCheckBox(CBaseDlg& dialog, HWND control);
bool SkinRadioButton(CBaseDlg& dialog, HWND control);

// EnumChildWindows callback, lParam the CBaseDlg: children of class "Button"
// of types BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_AUTOCHECKBOX and
// BS_AUTORADIOBUTTON are skinned, every other child is left alone. Always
// continues the enumeration.
BOOL CALLBACK SkinChildButtonsProc(HWND child, LPARAM dialog);

// Runs SkinChildButtonsProc over every child of the dialog's window.
void SkinDialogButtons(CBaseDlg& dialog, HWND dialogWindow);
