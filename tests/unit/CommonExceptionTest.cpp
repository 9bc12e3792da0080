#include "common/QvErrors.h"
#include "common/QvException.h"
#include "common/SnmpStatus.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const kSessionText = "(VaZARO++) Cannot create the global VaZARO++ session!";

TEST(CommonQVException, RaisedCodeCarriesItsCatalogueText)
{
    try {
        ThrowQVException(QV_ERR_CREATE_SESSION);
        FAIL() << "nothing was thrown";
    } catch (CQVException* e) {
        EXPECT_STREQ(static_cast<const char*>(e->GetText()), kSessionText);
        EXPECT_EQ(e->m_nCode, QV_ERR_CREATE_SESSION);
        EXPECT_TRUE(e->m_bAutoDelete);
        e->Delete();
    }
}

TEST(CommonQVException, CodeWithoutAnEntryKeepsItsCodeAndGetsTheUnknownText)
{
    try {
        ThrowQVException(-531);
    } catch (CQVException* e) {
        EXPECT_EQ(e->m_nCode, -531);
        EXPECT_STREQ(static_cast<const char*>(e->GetText()), "(VaZARO++) Unknown error code!");
        e->Delete();
    }
}

TEST(CommonQVException, RaisesATranslatedStatusUnchanged)
{
    int code = 0;
    CString text;
    TranslateSnmpStatus(-5, code, text);
    try {
        ThrowQVException(code, text);
    } catch (CQVException* e) {
        EXPECT_EQ(e->m_nCode, -405);
        EXPECT_STREQ(static_cast<const char*>(e->GetText()), "(SNMPClass) SNMP request timed out!");
        e->Delete();
    }
}

TEST(CommonQVException, IsCaughtThroughEveryBase)
{
    bool caughtAsException = false;
    try {
        ThrowQVException(QV_ERR_BAD_SYNTAX);
    } catch (CException* e) {
        caughtAsException = e->IsKindOf(RUNTIME_CLASS(CQVException));
        e->Delete();
    }
    EXPECT_TRUE(caughtAsException);

    bool caughtAsObject = false;
    try {
        ThrowQVException(QV_ERR_BAD_SYNTAX);
    } catch (CObject* e) {
        caughtAsObject = e->IsKindOf(RUNTIME_CLASS(CQVException));
        static_cast<CException*>(e)->Delete();
    }
    EXPECT_TRUE(caughtAsObject);

    bool caughtUntyped = false;
    try {
        ThrowQVException(QV_ERR_BAD_SYNTAX);
    } catch (void* p) {
        // An untyped catcher knows what the framework throws.
        CQVException* e = static_cast<CQVException*>(p);
        caughtUntyped = e->m_nCode == QV_ERR_BAD_SYNTAX;
        e->Delete();
    }
    EXPECT_TRUE(caughtUntyped);
}

TEST(CommonQVException, TextSurvivesDelete)
{
    CString kept;
    try {
        ThrowQVException(QV_ERR_INVALID_ADDRESS);
    } catch (CQVException* e) {
        kept = e->GetText();
        e->Delete();
    }
    // Read after the object is gone: under the address sanitizer a text that
    // shared the exception's storage would fail here.
    EXPECT_EQ(std::string(static_cast<const char*>(kept)), "(VaZARO++) Invalid IP Address or DNS name!");
}

TEST(CommonQVException, RuntimeClassAndDynamicCreation)
{
    const CRuntimeClass* runtimeClass = RUNTIME_CLASS(CQVException);
    EXPECT_STREQ(runtimeClass->m_lpszClassName, "CQVException");
    EXPECT_EQ(runtimeClass->m_pBaseClass, RUNTIME_CLASS(CException));
    EXPECT_EQ(runtimeClass->m_wSchema, 0xFFFFu);

    CObject* created = runtimeClass->CreateObject();
    ASSERT_NE(created, nullptr);
    ASSERT_TRUE(created->IsKindOf(RUNTIME_CLASS(CQVException)));
    CQVException* e = static_cast<CQVException*>(created);
    EXPECT_EQ(e->GetRuntimeClass(), runtimeClass);
    EXPECT_TRUE(e->GetText().IsEmpty());
    e->Delete();
}

}  // namespace
