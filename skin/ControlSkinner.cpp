#include "skin/ControlSkinner.h"
#include "base/DataPaths.h"
#include "base/ImageUtil.h"
#include "skin/SkinImgButton.h"
#include <memory>
#include <string>

namespace {

constexpr COLORREF kPushTextColour = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kCheckTextColour = RGB(0x14, 0x14, 0x14);
constexpr int kMaxCaption = 255;

std::string SkinPath(const std::string& name, const char* fallback)
{
    return DataPaths::Instance()->GetSkinFile(name.empty() ? fallback : name);
}

bool FileExists(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

HBITMAP LoadPng(const std::string& path)
{
    return LoadImageFromResource(path.c_str(), "png");
}

std::string Caption(HWND control)
{
    char text[kMaxCaption + 1] = {};
    const int length = ::GetWindowTextA(control, text, sizeof(text));
    return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

bool SkinTwoStateButton(CBaseDlg& dialog, HWND control, const std::string& uncheckedName,
    const std::string& checkedName, const char* uncheckedDefault, const char* checkedDefault)
{
    const std::string unchecked = SkinPath(uncheckedName, uncheckedDefault);
    const std::string checked = SkinPath(checkedName, checkedDefault);
    if (!FileExists(unchecked) || !FileExists(checked))
        return false;
    // A file that is there but decodes to nothing would leave a control
    // that draws nothing and still takes clicks.
    CBitmap uncheckedImage(LoadPng(unchecked));
    CBitmap checkedImage(LoadPng(checked));
    if (uncheckedImage.IsNull() || checkedImage.IsNull())
        return false;
    auto button = std::make_unique<CCheckButton>();
    if (!button->Subclass(control))
        return false;
    button->SetTextColour(kCheckTextColour);
    button->SetImages(uncheckedImage.Detach(), checkedImage.Detach(), Caption(control));
    dialog.AddSkinnedControl(std::move(button));
    return true;
}

}

bool SkinPushButton(CBaseDlg& dialog, HWND control)
{
    const std::string path = SkinPath(dialog.GetButtonImage(::GetDlgCtrlID(control)), "menu.png");
    if (!FileExists(path))
        return false;
    CBitmap image(LoadPng(path));
    if (image.IsNull())
        return false;
    auto button = std::make_unique<CSkinImgButton>();
    button->SetTextColour(kPushTextColour);
    if (!button->Subclass(control))
        return false;
    button->SetContent(image.Detach(), Caption(control), false);
    dialog.AddSkinnedControl(std::move(button));
    return true;
}

bool SkinCheckBox(CBaseDlg& dialog, HWND control)
{
    const int id = ::GetDlgCtrlID(control);
    return SkinTwoStateButton(dialog, control, dialog.GetCheckBoxImage(id, 0), dialog.GetCheckBoxImage(id, 1),
        "check_uncheck.png", "check_checked.png");
}

bool SkinRadioButton(CBaseDlg& dialog, HWND control)
{
    const int id = ::GetDlgCtrlID(control);
    return SkinTwoStateButton(dialog, control, dialog.GetRadioImage(id, 0), dialog.GetRadioImage(id, 1),
        "radio_uncheck.png", "radio_checked.png");
}

BOOL CALLBACK SkinChildButtonsProc(HWND child, LPARAM dialogParam)
{
    CBaseDlg* dialog = reinterpret_cast<CBaseDlg*>(dialogParam);
    char className[16] = {};
    if (!dialog || !::GetClassNameA(child, className, sizeof(className)) || lstrcmpiA(className, "Button") != 0)
        return TRUE;
    switch (::GetWindowLongPtrA(child, GWL_STYLE) & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
        SkinPushButton(*dialog, child);
        break;
    case BS_AUTOCHECKBOX:
        SkinCheckBox(*dialog, child);
        break;
    case BS_AUTORADIOBUTTON:
        SkinRadioButton(*dialog, child);
        break;
    default:
        break;
    }
    return TRUE;
}

void SkinDialogButtons(CBaseDlg& dialog, HWND dialogWindow)
{
    ::EnumChildWindows(dialogWindow, &SkinChildButtonsProc, reinterpret_cast<LPARAM>(&dialog));
}
