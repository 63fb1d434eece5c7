// CWnd and the map from window handles to the objects that wrap them.
#include "framework/Wnd.h"

#include "framework/DataExchange.h"
#include "framework/WinApp.h"

#include <map>
#include <memory>

namespace {

// Everything here runs on the user-interface thread, as the windows do.
std::map<HWND, CWnd *> &permanentMap() {
    static std::map<HWND, CWnd *> map;
    return map;
}

std::map<HWND, std::unique_ptr<CWnd>> &temporaryMap() {
    static std::map<HWND, std::unique_ptr<CWnd>> map;
    return map;
}

} // namespace

CWnd::~CWnd() { Detach(); }

CWnd *CWnd::FromHandlePermanent(HWND hWnd) {
    auto it = permanentMap().find(hWnd);
    return it == permanentMap().end() ? nullptr : it->second;
}

CWnd *CWnd::FromHandle(HWND hWnd) {
    if (!hWnd)
        return nullptr;
    if (CWnd *wnd = FromHandlePermanent(hWnd))
        return wnd;
    auto &temporaries = temporaryMap();
    auto it = temporaries.find(hWnd);
    if (it != temporaries.end())
        return it->second.get();
    auto wnd = std::make_unique<CWnd>();
    wnd->m_hWnd = hWnd;
    return temporaries.emplace(hWnd, std::move(wnd)).first->second.get();
}

void CWnd::PruneDeadHandles() {
    auto &permanent = permanentMap();
    for (auto it = permanent.begin(); it != permanent.end();) {
        if (::IsWindow(it->first)) {
            ++it;
            continue;
        }
        it->second->m_hWnd = nullptr;
        it = permanent.erase(it);
    }
    auto &temporaries = temporaryMap();
    for (auto it = temporaries.begin(); it != temporaries.end();)
        it = ::IsWindow(it->first) ? std::next(it) : temporaries.erase(it);
}

BOOL CWnd::Attach(HWND hWnd) {
    if (!hWnd || m_hWnd)
        return FALSE;
    m_hWnd = hWnd;
    permanentMap()[hWnd] = this;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hWnd = m_hWnd;
    if (hWnd) {
        auto it = permanentMap().find(hWnd);
        if (it != permanentMap().end() && it->second == this)
            permanentMap().erase(it);
    }
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange *) {}

BOOL CWnd::PreTranslateMessage(MSG *) { return FALSE; }

void CWnd::OnWindowDestroyed() {
    CWinApp *app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
}
