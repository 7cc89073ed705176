#include "tests/bench/BenchWindow.h"
#include "engine/Updater.h"

namespace {
const UINT WM_BENCH_STEP = WM_APP + 1; // lParam: a Step made with new, deleted once run
}

BEGIN_MESSAGE_MAP(CBenchWindow, CTarnwickDlg)
    ON_MESSAGE(WM_BENCH_STEP, OnStep)
    ON_MESSAGE(WM_UPDATE_DONE, OnWorkerDone)
    ON_MESSAGE(WM_UPDATE_FAILED, OnWorkerFailed)
END_MESSAGE_MAP()

void CBenchWindow::RunModal(const Step& first)
{
    m_first = first;
    // The news view is an ActiveX control, as in the launcher.
    AfxEnableControlContainer();
    g_pMainDlg = this;
    DoModal();
    g_pMainDlg = NULL;
}

BOOL CBenchWindow::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText("Velmora World");
    SetupWindow();
    Then(m_first);
    return TRUE;
}

void CBenchWindow::Then(const Step& step)
{
    ::PostMessageA(m_hWnd, WM_BENCH_STEP, 0, (LPARAM) new Step(step));
}

void CBenchWindow::Settle()
{
    // Paints come only once the queue is empty: a step posted at once would run before them.
    ::RedrawWindow(m_hWnd, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void CBenchWindow::Close()
{
    EndDialog(IDOK);
}

LRESULT CBenchWindow::OnStep(WPARAM, LPARAM lParam)
{
    Step* step = (Step*)lParam;
    (*step)();
    delete step;
    return 0;
}

LRESULT CBenchWindow::OnWorkerDone(WPARAM, LPARAM)
{
    WorkerEnded(true);
    return 0;
}

LRESULT CBenchWindow::OnWorkerFailed(WPARAM, LPARAM)
{
    WorkerEnded(false);
    return 0;
}

void CBenchWindow::WorkerEnded(bool done)
{
    m_pUpdater->Wait();
    if (m_onWorkerEnd)
        m_onWorkerEnd(done);
}
