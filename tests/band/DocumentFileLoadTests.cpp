#include "Bstr.h"
#include "ComPtr.h"
#include "DocumentFileLoad.h"
#include "XmlConventions.h"
#include <gtest/gtest.h>
#include <string>

using namespace kest;

namespace {

class DocumentFileLoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        path = std::wstring(temp) + L"kest-document-load.xml";
    }
    void TearDown() override { DeleteFileW(path.c_str()); }

    void write(const std::string& bytes) const {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }

    // Whether the document loaded, and its markup when it did.
    struct Outcome {
        bool loaded;
        std::wstring xml;
    };
    static Outcome outcomeOf(IXMLDOMDocument* document, bool loaded) {
        Bstr xml;
        if (loaded) document->get_xml(xml.put());
        return Outcome{loaded, loaded ? xml.str() : std::wstring()};
    }
    Outcome loadedHere() const {
        ComPtr<IXMLDOMDocument> document = createXmlDocument();
        return outcomeOf(document.get(), loadDocumentFile(document.get(), path));
    }
    Outcome loadedByTheDom() const {
        ComPtr<IXMLDOMDocument> document = createXmlDocument();
        const Variant source(path.c_str());
        VARIANT_BOOL loaded = VARIANT_FALSE;
        document->load(source.get(), &loaded);
        return outcomeOf(document.get(), loaded == VARIANT_TRUE);
    }

    ComInitialization com;
    std::wstring path;
};

}  // namespace

TEST_F(DocumentFileLoadTest, EveryKindOfFileEndsAsTheDomsOwnLoadingWouldEndIt) {
    const std::string body = "<!-- c -->\n<root>\n\t<e><name>Caf\xC3\xA9 \xE2\x82\xAC</name></e>\n</root>\n";
    const struct {
        const char* what;
        std::string bytes;
        bool loads;
    } files[] = {
        {"UTF-8 without mark", "<?xml version=\"1.0\"?>\n" + body, true},
        {"UTF-8 with mark", "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n" + body, true},
        {"declared UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + body, true},
        {"declared Latin-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<root><n>Caf\xE9</n></root>", true},
        {"UTF-16 with mark", std::string("\xFF\xFE<\0r\0/\0>\0", 10), true},
        {"invalid UTF-8", "<?xml version=\"1.0\"?>\n<root><n>\xC3(</n></root>", false},
        {"a NUL inside", std::string("<?xml version=\"1.0\"?>\n<root>a\0b</root>", 38), false},
        {"blanks before the declaration", "  <?xml version=\"1.0\"?>\n<root/>", false},
        {"not well formed", "<?xml version=\"1.0\"?>\n<root><a></root>", false},
        {"truncated", "<?xml version=\"1.0\"?>\n<root><a>te", false},
        {"empty", "", false},
    };
    for (const auto& file : files) {
        write(file.bytes);
        const Outcome here = loadedHere();
        const Outcome dom = loadedByTheDom();
        EXPECT_EQ(dom.loaded, here.loaded) << file.what;
        EXPECT_EQ(dom.xml, here.xml) << file.what;
        EXPECT_EQ(file.loads, here.loaded) << file.what;
    }
}

TEST_F(DocumentFileLoadTest, MissingFileDoesNotLoad) {
    EXPECT_FALSE(loadedHere().loaded);
    EXPECT_FALSE(loadDocumentFile(nullptr, path));
}
