// A user presses Zarn with the focus in the address box: the ad form opens,
// takes the record and three pictures, and waits unsubmitted; Tags lists its
// elements beside the page (the password masked) and hides the list again;
// "Fill Form With Personal Details" fills the portal's form; a user who
// goes elsewhere while the form loads gets a message, not a filled page.
#include "Journey.h"

#include "tools/FormAutomation.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const char* const AdForm = R"HTML(<html><head><meta charset="utf-8"><title>Ad form</title></head><body>
<form action="/sent.html" method="get">
<input type="radio" name="company_ad" value="0" checked><input type="radio" name="company_ad" value="1">
<input name="region"><input name="dpt_code"><input name="zipcode"><input name="company_ad_id">
<input name="category"><input name="name"><input name="SIREN"><input name="email"><input name="phone">
<input name="subject"><input name="custom_ref"><input name="regdate"><input name="mileage"><input name="fuel">
<input name="gearbox"><textarea name="body"></textarea><input name="price">
<input type="password" name="pass" value="hunter2">
<input type="file" name="image">
<input type="file" id="more" style="display:none">
<button type="button" onclick="document.getElementById('more').click()">Add a picture</button>
<ul id="pictures"></ul>
</form>
<script>
document.getElementById('more').addEventListener('change', e => {
  for (const f of e.target.files) {
    const li = document.createElement('li');
    li.textContent = f.name;
    document.getElementById('pictures').appendChild(li);
  }
});
</script></body></html>)HTML";

class FormAutomation : public Journey {
protected:
    void SetUp() override
    {
        JourneyPages::Serve("/ai/form/0", AdForm);
        JourneyPages::Serve("/register",
            "<html><head><title>Register</title></head><body><form><input name=firstname>"
            "<input name=secondname><input name=yahooid></form></body></html>");
        SetAdFormAddress(JourneyPages::Url("/ai/form/0?ca=17_s"));
        SetRegistrationFormAddress(JourneyPages::Url("/register"));
    }

    QString field(const QString& name) const
    {
        return RunInPage(QStringLiteral("document.querySelector('[name=%1]').value").arg(name)).toString();
    }
    bool idle() const { return !Window().FormCommandRunning() && Window().BtnZarn->isEnabled(); }
};

TEST_F(FormAutomation, ZarnFillsTheAdFormAndAttachesThreePicturesWithoutSubmittingIt)
{
    OpenWindow(JourneyPages::Url("/start.html"));
    TypeAddress(QStringLiteral("half typed"));
    Click(Window().BtnZarn);
    ASSERT_TRUE(WaitFor([&] { return idle(); }, 90000));
    ASSERT_TRUE(WaitUntilLoaded());

    EXPECT_EQ(AddressText(), JourneyPages::Url("/ai/form/0?ca=17_s"));
    for (const auto& [name, value] : AdRecordFields()) {
        QString expected = value;
        expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); // a text area's value has LF line ends
        EXPECT_EQ(field(name), expected) << name.toStdString();
    }
    EXPECT_TRUE(RunInPage(QStringLiteral("document.querySelectorAll('[name=company_ad]')[1].checked")).toBool());
    EXPECT_EQ(RunInPage(QStringLiteral("[...document.querySelectorAll('#pictures li')].map(li => li.textContent)"
                                       ".join(',')"))
                  .toString(),
        QStringLiteral("V0048210-01.jpg,V0048210-02.jpg,V0048210-03.jpg"));
    EXPECT_EQ(JourneyPages::Requests("/sent.html"), 0);
    EXPECT_TRUE(OtherWindows().isEmpty());

    // Tags: the list beside the page, then hidden again.
    Click(Window().BtnTags);
    ASSERT_TRUE(Window().Memo1->isVisible());
    const QStringList lines = Window().Memo1->toPlainText().split(u'\n');
    EXPECT_TRUE(lines.contains(QStringLiteral("name - text - Garage Exemple Automobiles")))
        << lines.join('|').toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("pass - password - ") + kMaskedPassword))
        << lines.join('|').toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral(" - button - "))) << lines.join('|').toStdString();
    EXPECT_FALSE(Window().Memo1->toPlainText().contains(QLatin1String("hunter2")));
    Click(Window().BtnTags);
    EXPECT_FALSE(Window().Memo1->isVisible());
}

TEST_F(FormAutomation, TheMenuFillsThePortalsRegistrationForm)
{
    OpenWindow(JourneyPages::Url("/start.html"));
    ChooseMenu({"Tools", "Sextant Functions", "Fill Form With Personal Details"});
    ASSERT_TRUE(WaitFor([&] { return idle(); }));
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/register"), QStringLiteral("Register")));
    for (const auto& [name, value] : PersonalDetailsFields())
        EXPECT_EQ(field(name), value) << name.toStdString();
}

} // namespace
