// The launcher's main window as a player has it on screen (picture, buttons, labels, both bars, news
// view), run modally as the launcher runs it, without the update controller: a benchmark drives it
// with steps that run on the window's thread and let the window paint between them.
#pragma once
#include <functional>
#include "launcher/TarnwickDlg.h"

class CBenchWindow : public CTarnwickDlg {
public:
    typedef std::function<void()> Step;

    // Runs the window modally as the program's main window (g_pMainDlg); `first` is its first step.
    void RunModal(const Step& first);
    // From any thread: `step` runs on the window's thread after the messages already waiting.
    void Then(const Step& step);
    // Paints now what waits to be painted, children included: the clean start of a measured step.
    void Settle();
    // Ends the modal run.
    void Close();

    // Runs on the window's thread when the worker has posted its last message and was joined: true
    // for "all done", false for "failed".
    std::function<void(bool)> m_onWorkerEnd;

protected:
    BOOL OnInitDialog() override;
    afx_msg LRESULT OnStep(WPARAM, LPARAM);
    afx_msg LRESULT OnWorkerDone(WPARAM, LPARAM);
    afx_msg LRESULT OnWorkerFailed(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    void WorkerEnded(bool done);
    Step m_first;
};
