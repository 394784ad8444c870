#include "Bstr.h"
#include "XmlConventions.h"
#include <gtest/gtest.h>
#include <algorithm>

using namespace kest;

namespace {

class XmlConventionsTest : public ::testing::Test {
protected:
    ComInitialization com;
};

TEST_F(XmlConventionsTest, TraceLineHasTheFixedLayout) {
    EXPECT_EQ(L"SimpleBarDlg:42  HRCALL Failed: get_item: \n  0x80004005 = pXMLDom->createElement(bstr, &pRoot)\n",
              formatDomFailure(L"SimpleBarDlg", 42, L"get_item: ", E_FAIL, L"pXMLDom->createElement(bstr, &pRoot)"));
    EXPECT_EQ(L"HistoryMap:7  HRCALL Failed: \n  0x00000001 = x\n", formatDomFailure(L"HistoryMap", 7, L"", 1, L"x"));
}

TEST_F(XmlConventionsTest, DocumentIsSynchronousWithoutValidationOrExternals) {
    ComPtr<IXMLDOMDocument> document = createXmlDocument();
    ASSERT_TRUE(document);
    VARIANT_BOOL flag = VARIANT_TRUE;
    ASSERT_EQ(S_OK, document->get_async(&flag));
    EXPECT_EQ(VARIANT_FALSE, flag);
    ASSERT_EQ(S_OK, document->get_validateOnParse(&flag));
    EXPECT_EQ(VARIANT_FALSE, flag);
    ASSERT_EQ(S_OK, document->get_resolveExternals(&flag));
    EXPECT_EQ(VARIANT_FALSE, flag);
}

TEST_F(XmlConventionsTest, HelpersAppendTextAndFragmentsAsLastChildren) {
    ComPtr<IXMLDOMDocument> document = createXmlDocument();
    ASSERT_TRUE(document);
    ComPtr<IXMLDOMElement> root;
    ASSERT_EQ(S_OK, document->createElement(Bstr(L"root").get(), root.put()));
    ComPtr<IXMLDOMDocumentFragment> fragment;
    ASSERT_EQ(S_OK, document->createDocumentFragment(fragment.put()));
    ComPtr<IXMLDOMElement> child;
    ASSERT_EQ(S_OK, document->createElement(Bstr(L"child").get(), child.put()));
    appendWhitespace(document.get(), L"\n\t", fragment.get());
    appendChildNode(child.get(), fragment.get());
    appendChildNode(fragment.get(), root.get());
    appendWhitespace(document.get(), L"\n", root.get());

    // get_xml renders each line feed as CR LF. Wine keeps an appended fragment as one
    // child node instead of moving its children, but serialises the same text.
    Bstr xml;
    ASSERT_EQ(S_OK, root->get_xml(xml.put()));
    std::wstring text = xml.str();
    text.erase(std::remove(text.begin(), text.end(), L'\r'), text.end());
    EXPECT_EQ(L"<root>\n\t<child/>\n</root>", text);
}

}  // namespace
