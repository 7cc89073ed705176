#include "launcher/TarnwickDlg.h"
#include "engine/Pause.h"
#include "engine/Updater.h"

BEGIN_MESSAGE_MAP(CTarnwickDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_QUIT, OnQuit)
    ON_WM_NCHITTEST()
    ON_MESSAGE(WM_UPDATE_DONE, OnUpdateDone)
    ON_MESSAGE(WM_UPDATE_FAILED, OnUpdateFailed)
    ON_BN_CLICKED(IDC_PLAY, OnPlay)
    ON_BN_CLICKED(IDC_SIGNUP, OnSignUp)
    ON_BN_CLICKED(IDC_WEBSITE, OnWebsite)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_TIMER()
END_MESSAGE_MAP()

CTarnwickDlg::CTarnwickDlg(CWnd* pParent)
    : CDialog(IDD_LAUNCHER, pParent), m_pUpdater(NULL), m_bQuit(0), m_nState(0), m_nSigRetries(0),
      m_hIcon(NULL)
{
    m_pUpdater = new CUpdater(this);
    m_hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_LAUNCHER));
}

CTarnwickDlg::~CTarnwickDlg()
{
    // Only a window that never opened still has its worker object here.
    delete m_pUpdater;
    m_pUpdater = NULL;
}

void CTarnwickDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_PLAY, m_btnPlay);
    DDX_Control(pDX, IDC_SIGNUP, m_btnSignUp);
    DDX_Control(pDX, IDC_WEBSITE, m_btnWebsite);
    DDX_Control(pDX, IDC_QUIT, m_btnQuit);
    DDX_Control(pDX, IDC_PROGRESS_FILE, m_progressFile);
    DDX_Control(pDX, IDC_PROGRESS_TOTAL, m_progressTotal);
    DDX_Control(pDX, IDC_COUNT, m_lblCount);
    DDX_Control(pDX, IDC_SPEED, m_lblSpeed);
    DDX_Control(pDX, IDC_STATUS, m_lblStatus);
    DDX_Control(pDX, IDC_VERSION, m_lblVersion);
}

void CTarnwickDlg::OnDestroy()
{
    if (m_pUpdater) {
        delete m_pUpdater;
        m_pUpdater = NULL;
    }
    CDialog::OnDestroy();
}

void CTarnwickDlg::OnQuit()
{
    m_bQuit = 1;
    PauseMs(100);
    PostQuitMessage(0);
}

void CTarnwickDlg::OnCancel()
{
    OnQuit();
}
