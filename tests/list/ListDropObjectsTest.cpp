// The drop source and drop target of the list's drag and drop, driven
// directly with a fake data object (no real drag, which needs the mouse).
#include "skin/DropSource.h"
#include "skin/DropTarget.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

// Gives an HGLOBAL holding its format number for each format it offers;
// records SetData calls.
class CFakeDataObject : public CUnknownImpl<IDataObject>
{
public:
    std::vector<CLIPFORMAT> offered;
    int getDataCalls = 0;
    std::vector<FORMATETC> setFormats;
    std::vector<DWORD> setTymeds;
    std::vector<BOOL> setRelease;

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override
    {
        ++getDataCalls;
        for (CLIPFORMAT f : offered) {
            if (f == format->cfFormat && (format->tymed & TYMED_HGLOBAL)) {
                HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD));
                *static_cast<DWORD*>(::GlobalLock(block)) = f;
                ::GlobalUnlock(block);
                medium->tymed = TYMED_HGLOBAL;
                medium->hGlobal = block;
                medium->pUnkForRelease = nullptr;
                return S_OK;
            }
        }
        return DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override
    {
        setFormats.push_back(*format);
        setTymeds.push_back(medium->tymed);
        setRelease.push_back(release);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override
    {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
};

DWORD FormatIn(const STGMEDIUM& medium)
{
    if (medium.tymed != TYMED_HGLOBAL || !medium.hGlobal)
        return 0;
    const DWORD value = *static_cast<DWORD*>(::GlobalLock(medium.hGlobal));
    ::GlobalUnlock(medium.hGlobal);
    return value;
}

// A target that records its hooks and answers with a set effect.
class CRecordingTarget : public CDropTarget
{
public:
    CRecordingTarget()
        : CDropTarget(nullptr)
    {
    }
    DWORD answer = DROPEFFECT_MOVE;
    bool accept = true;
    std::vector<DWORD> queriedFormats; // the payload the hook saw
    std::vector<DWORD> droppedEffects;
    std::vector<DWORD> droppedFormats;
    int leaves = 0;

protected:
    DWORD QueryDrop(const FORMATETC&, STGMEDIUM& medium, DWORD, POINT) override
    {
        queriedFormats.push_back(FormatIn(medium));
        return answer;
    }
    bool OnDrop(const FORMATETC&, STGMEDIUM& medium, DWORD, DWORD effect, POINT) override
    {
        droppedFormats.push_back(FormatIn(medium));
        droppedEffects.push_back(effect);
        return accept;
    }
    void OnDragLeave() override { ++leaves; }
};

const CLIPFORMAT kFirst = 0xC101;
const CLIPFORMAT kSecond = 0xC102;
const POINTL kPoint = { 10, 10 };

}

TEST(ListDropSource, AnswersEscapeButtonsAndFeedback)
{
    CComPtr<CDropSource> source;
    source.Attach(new CDropSource);
    struct Case
    {
        BOOL escape;
        DWORD keys;
        HRESULT result;
    };
    const Case cases[] = {
        { TRUE, MK_LBUTTON, DRAGDROP_S_CANCEL },
        { TRUE, 0, DRAGDROP_S_CANCEL },
        { FALSE, 0, DRAGDROP_S_DROP },
        { FALSE, MK_SHIFT | MK_CONTROL, DRAGDROP_S_DROP },
        { FALSE, MK_LBUTTON, S_OK },
        { FALSE, MK_RBUTTON | MK_CONTROL, S_OK },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.result, source->QueryContinueDrag(c.escape, c.keys)) << c.escape << " " << c.keys;
    EXPECT_EQ(DRAGDROP_S_USEDEFAULTCURSORS, source->GiveFeedback(DROPEFFECT_MOVE));

    CComPtr<IDropSource> asSource;
    EXPECT_EQ(S_OK, source.QueryInterface(asSource));
    CComPtr<IDropTarget> asTarget;
    EXPECT_EQ(E_NOINTERFACE, source.QueryInterface(asTarget));
}

TEST(ListDropTarget, KeysPickAnAllowedEffect)
{
    struct Case
    {
        DWORD keys;
        DWORD allowed;
        DWORD effect;
    };
    const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    const Case cases[] = {
        { MK_CONTROL, all, DROPEFFECT_COPY },
        { MK_CONTROL | MK_SHIFT, all, DROPEFFECT_LINK },
        { MK_CONTROL | MK_SHIFT, DROPEFFECT_COPY, DROPEFFECT_NONE }, // a link asked of a copy-only source
        { MK_SHIFT, all, DROPEFFECT_MOVE },
        { MK_SHIFT, DROPEFFECT_COPY, DROPEFFECT_NONE },
        { 0, all, DROPEFFECT_COPY },
        { 0, DROPEFFECT_MOVE | DROPEFFECT_LINK, DROPEFFECT_MOVE },
        { 0, DROPEFFECT_LINK, DROPEFFECT_LINK },
        { 0, DROPEFFECT_NONE, DROPEFFECT_NONE },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.effect, CDropTarget::AdjustEffect(c.keys, c.allowed)) << c.keys << " " << c.allowed;
}

TEST(ListDropTarget, KeepsTheFirstAcceptedFormatTheObjectGives)
{
    CComPtr<CRecordingTarget> target;
    target.Attach(new CRecordingTarget);
    target->AddFormat(kFirst);
    target->AddFormat(kSecond);
    CComPtr<CFakeDataObject> data;
    data.Attach(new CFakeDataObject);
    data->offered = { kSecond };

    DWORD effect = DROPEFFECT_MOVE;
    EXPECT_EQ(E_INVALIDARG, target->DragEnter(nullptr, 0, kPoint, &effect));
    EXPECT_EQ(S_OK, target->DragEnter(data, 0, kPoint, &effect));
    EXPECT_TRUE(target->IsAccepting());
    EXPECT_EQ(DROPEFFECT_MOVE, effect);
    ASSERT_EQ(1u, target->queriedFormats.size());
    EXPECT_EQ(kSecond, target->queriedFormats[0]);

    effect = DROPEFFECT_MOVE;
    EXPECT_EQ(S_OK, target->DragOver(0, kPoint, &effect));
    EXPECT_EQ(DROPEFFECT_MOVE, effect);
    EXPECT_EQ(2u, target->queriedFormats.size());

    // The hook refusing gives no effect.
    target->answer = DROPEFFECT_NONE;
    effect = DROPEFFECT_MOVE;
    target->DragOver(0, kPoint, &effect);
    EXPECT_EQ(DROPEFFECT_NONE, effect);

    EXPECT_EQ(S_OK, target->DragLeave());
    EXPECT_EQ(1, target->leaves);
    EXPECT_FALSE(target->IsAccepting());
}

TEST(ListDropTarget, RefusesObjectsWithoutAnAcceptedFormat)
{
    CComPtr<CRecordingTarget> target;
    target.Attach(new CRecordingTarget);
    target->AddFormat(kFirst);
    CComPtr<CFakeDataObject> data;
    data.Attach(new CFakeDataObject);
    data->offered = { kSecond };
    DWORD effect = DROPEFFECT_MOVE | DROPEFFECT_COPY;
    target->DragEnter(data, 0, kPoint, &effect);
    EXPECT_EQ(DROPEFFECT_NONE, effect);
    effect = DROPEFFECT_MOVE;
    target->DragOver(0, kPoint, &effect);
    EXPECT_EQ(DROPEFFECT_NONE, effect);
    effect = DROPEFFECT_MOVE;
    EXPECT_EQ(S_OK, target->Drop(data, 0, kPoint, &effect));
    EXPECT_EQ(DROPEFFECT_NONE, effect);
    EXPECT_TRUE(target->queriedFormats.empty());
    EXPECT_TRUE(target->droppedEffects.empty());
}

TEST(ListDropTarget, DropTakesAFreshMediumAndReportsTheAnswer)
{
    CComPtr<CRecordingTarget> target;
    target.Attach(new CRecordingTarget);
    target->AddFormat(kFirst);
    CComPtr<CFakeDataObject> data;
    data.Attach(new CFakeDataObject);
    data->offered = { kFirst };

    DWORD effect = DROPEFFECT_MOVE;
    target->DragEnter(data, 0, kPoint, &effect);
    const int asked = data->getDataCalls;
    effect = DROPEFFECT_MOVE;
    EXPECT_EQ(E_INVALIDARG, target->Drop(nullptr, 0, kPoint, &effect));
    EXPECT_EQ(S_OK, target->Drop(data, 0, kPoint, &effect));
    EXPECT_EQ(asked + 1, data->getDataCalls);
    EXPECT_EQ(DROPEFFECT_MOVE, effect);
    ASSERT_EQ(1u, target->droppedFormats.size());
    EXPECT_EQ(kFirst, target->droppedFormats[0]);

    // Ctrl+Shift asks for a link; a source that only copies gets nothing, and
    // the window is not asked to drop.
    effect = DROPEFFECT_COPY;
    target->DragEnter(data, MK_CONTROL | MK_SHIFT, kPoint, &effect);
    effect = DROPEFFECT_COPY;
    target->Drop(data, MK_CONTROL | MK_SHIFT, kPoint, &effect);
    EXPECT_EQ(DROPEFFECT_NONE, effect);
    EXPECT_EQ(1u, target->droppedFormats.size());

    // A window that refuses the drop leaves the source with no effect.
    target->accept = false;
    effect = DROPEFFECT_MOVE;
    target->DragEnter(data, 0, kPoint, &effect);
    effect = DROPEFFECT_MOVE;
    target->Drop(data, 0, kPoint, &effect);
    EXPECT_EQ(DROPEFFECT_NONE, effect);
    EXPECT_EQ(2u, target->droppedFormats.size());
}

TEST(ListDropTarget, AnswersItsOwnInterfacesOnly)
{
    CComPtr<CDropTarget> target;
    target.Attach(new CDropTarget(nullptr));
    CComPtr<IDropTarget> asTarget;
    EXPECT_EQ(S_OK, target.QueryInterface(asTarget));
    CComPtr<IDropSource> asSource;
    EXPECT_EQ(E_NOINTERFACE, target.QueryInterface(asSource));
}

TEST(ListDropSource, EmptyDataIsOfferedForRenderingLater)
{
    EXPECT_FALSE(SetEmptyData(nullptr, kFirst));
    CComPtr<CFakeDataObject> data;
    data.Attach(new CFakeDataObject);
    EXPECT_TRUE(SetEmptyData(data, kFirst));
    ASSERT_EQ(1u, data->setFormats.size());
    EXPECT_EQ(kFirst, data->setFormats[0].cfFormat);
    EXPECT_EQ(static_cast<DWORD>(TYMED_HGLOBAL), data->setFormats[0].tymed);
    EXPECT_EQ(DVASPECT_CONTENT, data->setFormats[0].dwAspect);
    EXPECT_EQ(-1, data->setFormats[0].lindex);
    EXPECT_EQ(static_cast<DWORD>(TYMED_NULL), data->setTymeds[0]);
    EXPECT_TRUE(data->setRelease[0]);
}
