#include <gtest/gtest.h>

#include <cstring>

#include "platform/Afx.h"

namespace {

int g_destroyed = 0;

class CCountedException : public CException {
    DECLARE_DYNCREATE(CCountedException)
public:
    CCountedException() = default;
    explicit CCountedException(BOOL autoDelete) : CException(autoDelete) {}
    ~CCountedException() override { ++g_destroyed; }
};

IMPLEMENT_DYNCREATE(CCountedException, CException)

class CMessageException : public CException {
public:
    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, UINT* pnHelpContext) override
    {
        std::strncpy(lpszError, "(Test) Something failed!", nMaxError - 1);
        lpszError[nMaxError - 1] = '\0';
        if (pnHelpContext != nullptr)
            *pnHelpContext = 0;
        return TRUE;
    }
};

TEST(PlatformObject, RuntimeClassNamesTheClassAndItsBases)
{
    CCountedException e(FALSE);
    const CRuntimeClass* cls = e.GetRuntimeClass();
    EXPECT_STREQ(cls->m_lpszClassName, "CCountedException");
    EXPECT_EQ(cls->m_wSchema, 0xFFFFu);
    EXPECT_EQ(cls->m_nObjectSize, static_cast<int>(sizeof(CCountedException)));
    EXPECT_EQ(cls->m_pBaseClass, RUNTIME_CLASS(CException));
    EXPECT_TRUE(e.IsKindOf(RUNTIME_CLASS(CException)));
    EXPECT_TRUE(e.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(e.IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_FALSE(e.IsSerializable());
    EXPECT_STREQ(CMessageException().GetRuntimeClass()->m_lpszClassName, "CException");
    EXPECT_EQ(RUNTIME_CLASS(CException)->CreateObject(), nullptr);
}

TEST(PlatformObject, DynamicCreationBuildsTheClass)
{
    CObject* created = RUNTIME_CLASS(CCountedException)->CreateObject();
    ASSERT_NE(created, nullptr);
    EXPECT_TRUE(created->IsKindOf(RUNTIME_CLASS(CCountedException)));
    const int before = g_destroyed;
    delete created;
    EXPECT_EQ(g_destroyed, before + 1);
}

TEST(PlatformObject, DeleteFreesOnlyAutoDeleteExceptions)
{
    const int before = g_destroyed;
    try {
        throw new CCountedException;
    } catch (CException* e) {
        EXPECT_TRUE(e->m_bAutoDelete);
        e->Delete();
    }
    EXPECT_EQ(g_destroyed, before + 1);

    {
        CCountedException onStack(FALSE);
        onStack.Delete();
        EXPECT_EQ(g_destroyed, before + 1);
    }
    EXPECT_EQ(g_destroyed, before + 2);
}

TEST(PlatformObject, ReportErrorShowsTheMessageOnStandardError)
{
    char text[8] = "x";
    UINT help = 7;
    CException plain(FALSE);
    EXPECT_FALSE(plain.GetErrorMessage(text, sizeof text, &help));
    EXPECT_EQ(text[0], '\0');
    EXPECT_EQ(help, 0u);

    ::testing::internal::CaptureStderr();
    EXPECT_EQ(plain.ReportError(), IDOK);
    CMessageException withText;
    withText.m_bAutoDelete = FALSE;
    EXPECT_EQ(withText.ReportError(), IDOK);
    EXPECT_EQ(AfxMessageBox("(Test) Shown.", MB_OK, 0), IDOK);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "No error message is available.\n(Test) Something failed!\n(Test) Shown.\n");
}

}  // namespace
