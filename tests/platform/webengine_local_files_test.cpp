// A page loaded from a local file cannot read other local files (script
// requests, a frame's contents, a picture on a canvas) unless the host turns
// on the control's DISPID_LOCALFILEACCESS.
#include "EngineTest.h"
#include "platform/webengine/QtWebBrowser.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWebEnginePage>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Each way of reading "secret.txt" (or "picture.png") notes what it got in
// `results`: the text, or "refused".
const char* const ReadingPage = R"(<html><body>
<iframe id="frame" src="secret.txt"></iframe>
<img id="picture" src="picture.png">
<script>
const results = {};
const note = (way, value) => { results[way] = value; };
fetch('secret.txt').then(r => r.text()).then(t => note('fetch', t), () => note('fetch', 'refused'));
const request = new XMLHttpRequest();
request.onload = () => note('xhr', request.responseText);
request.onerror = () => note('xhr', 'refused');
try { request.open('GET', 'secret.txt'); request.send(); } catch (e) { note('xhr', 'refused'); }
document.getElementById('frame').onload = function () {
  try { note('frame', this.contentDocument.body.innerText.trim()); } catch (e) { note('frame', 'refused'); }
};
const picture = document.getElementById('picture');
const drawPicture = () => {
  const canvas = document.createElement('canvas');
  const context = canvas.getContext('2d');
  context.drawImage(picture, 0, 0);
  try { note('canvas', String(context.getImageData(0, 0, 1, 1).data[0])); } catch (e) { note('canvas', 'refused'); }
};
picture.onerror = () => note('canvas', 'refused');
if (picture.complete && picture.naturalWidth) drawPicture(); else picture.onload = drawPicture;
</script></body></html>)";

class EventCounter : public DWebBrowserEvents2 {
public:
    std::vector<DISPID> raised;
    HRESULT Invoke(DISPID dispId, std::vector<Variant>&) override
    {
        raised.push_back(dispId);
        return S_OK;
    }
    long count(DISPID dispId) const { return std::count(raised.begin(), raised.end(), dispId); }
};

class LocalFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        writeFile("page.html", ReadingPage);
        writeFile("secret.txt", "secret");
        QImage red(1, 1, QImage::Format_RGB32);
        red.fill(Qt::red);
        ASSERT_TRUE(red.save(folder.filePath("picture.png")));
        browser.window()->resize(400, 300);
        browser.window()->show();
    }

    void writeFile(const char* name, const QByteArray& content)
    {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    // What each way of reading got, once all have answered.
    QVariantMap readingResults()
    {
        const QString page = QUrl::fromLocalFile(folder.filePath("page.html")).toString();
        if (!NavigateAndWait(browser, page))
            return {};
        QVariantMap results;
        const bool allAnswered = QTest::qWaitFor(
            [&] {
                results = RunScript(browser.page(), QStringLiteral("results")).toMap();
                return results.size() == 4;
            },
            20000);
        return allAnswered ? results : QVariantMap();
    }

    QTemporaryDir folder;
    QtWebBrowser browser;
};

TEST_F(LocalFilesTest, ALocalPageCannotReadOtherLocalFilesByDefault)
{
    Variant allowed;
    ASSERT_EQ(browser.GetProperty(DISPID_LOCALFILEACCESS, allowed), S_OK);
    EXPECT_FALSE(allowed.toBool());
    const QVariantMap results = readingResults();
    ASSERT_EQ(results.size(), 4);
    for (const char* way : {"fetch", "xhr", "frame", "canvas"})
        EXPECT_EQ(results.value(way).toString().toStdString(), "refused") << way;

    // Its links still open other local files, announced once.
    writeFile("other.html", "<html><head><title>Other</title></head></html>");
    EventCounter events;
    browser.Advise(&events);
    browser.page()->runJavaScript(QStringLiteral("location.href = 'other.html'"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return events.count(DISPID_DOWNLOADCOMPLETE) == 1; }, 20000));
    browser.Advise(nullptr);
    EXPECT_EQ(TextProperty(browser, DISPID_LOCATIONNAME), "Other");
    EXPECT_EQ(TextProperty(browser, DISPID_LOCATIONURL), QUrl::fromLocalFile(folder.filePath("other.html")).toString());
    for (const DISPID once :
        {DISPID_BEFORENAVIGATE2, DISPID_DOWNLOADBEGIN, DISPID_NAVIGATECOMPLETE2, DISPID_DOCUMENTCOMPLETE})
        EXPECT_EQ(events.count(once), 1) << once;
    EXPECT_EQ(events.count(DISPID_NAVIGATEERROR), 0);
}

TEST_F(LocalFilesTest, TheHostCanAllowLocalPagesToReadLocalFiles)
{
    ASSERT_EQ(browser.PutProperty(DISPID_LOCALFILEACCESS, Variant::fromBool(true)), S_OK);
    Variant allowed;
    browser.GetProperty(DISPID_LOCALFILEACCESS, allowed);
    EXPECT_TRUE(allowed.toBool());
    const QVariantMap results = readingResults();
    EXPECT_EQ(results.value("xhr").toString().toStdString(), "secret");
    EXPECT_EQ(results.value("frame").toString().toStdString(), "secret");
    EXPECT_EQ(results.value("canvas").toString().toStdString(), "255");
}

} // namespace
