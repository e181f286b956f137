#pragma once
// Pages for tests of the document operations, served on loopback, and one
// shown browser component to load them in: a page with links, two frames of
// its own site and one of another (localhost against 127.0.0.1), pictures
// with hostile names, a form with repeated field names and a cookie set by a
// script; a frameset; a long page with coloured blocks at known places; a
// picture shown by itself.
#include "EngineTest.h"
#include "FixtureServer.h"
#include "browserhost/Sextant.h"

#include <QBuffer>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>

class DocumentPagesTest : public ::testing::Test {
protected:
    static constexpr int WindowWidth = 400;
    static constexpr int WindowHeight = 300;
    // The long page: white, a red block at (40, 30) 60 x 50 and a blue one
    // at (20, 1500) 100 x 100, 2000 pixels high.
    static constexpr int BlueTop = 1500;

    static void SetUpTestSuite()
    {
        server = new FixtureServer;
        auto& s = server->server();
        const auto html = [&s](const char* path, std::string body) {
            s.Get(
                path, [body](const httplib::Request&, httplib::Response& res) { res.set_content(body, "text/html"); });
        };
        // The page names its other-site frame by the port, known once the server runs.
        s.Get("/page", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html><head><title>Doc</title><script>document.cookie = 'flavour=mint';</script></head>"
                            "<body><a href=\"/one\">one</a> <a href=\"/two?x=1&amp;y=2\">two</a>"
                            "<iframe src=\"/frame-links\"></iframe><iframe src=\""
                    + OtherSite("/frame-links")
                    + "\"></iframe><iframe src=\"/frame-plain\"></iframe>"
                      "<img src=\"/pic/a.png\"><img src=\"/pic/..%2F..%2Fescape.Gif\"><img src=\"/pic/skip.svg\">"
                      "<img src=\"/pic/c.jpeg\"><img src=\"/pic/d.gif?x=1\"><img src=\"/pic/missing.png\">"
                      "<form><button name=\"field\">b</button><input name=\"field\" value=\"old\">"
                      "<textarea name=\"notes\"></textarea><input name=\"last\" value=\"kept\"></form>"
                      "<p id=\"text\">Plain words here</p></body></html>",
                "text/html");
        });
        html("/frame-links", "<html><body><a href=\"/in-frame\">f</a></body></html>");
        html("/frame-plain", "<html><body>nothing to follow</body></html>");
        html("/no-links", "<html><body><p>quiet</p></body></html>");
        html("/one-link", "<html><body><a href=\"/only\">only</a></body></html>");
        html("/frameset",
            "<html><frameset cols=\"50%,50%\"><frame src=\"/one-link\"><frame src=\"/frame-links\"></frameset></html>");
        html("/long",
            "<html><body style=\"margin:0;background:#fff\"><div style=\"height:2000px;position:relative\">"
            "<div style=\"position:absolute;left:40px;top:30px;width:60px;height:50px;background:#f00\"></div>"
            "<div style=\"position:absolute;left:20px;top:1500px;width:100px;height:100px;background:#00f\"></div>"
            "</div></body></html>");
        html("/editable", "<html><body><input id=\"box\"></body></html>");
        s.Get(R"(/pic/(.*))", [](const httplib::Request& req, httplib::Response& res) {
            if (req.matches[1] == "missing.png") {
                res.status = 404;
                return;
            }
            res.set_content("picture " + std::string(req.matches[1]), "application/octet-stream");
        });
        s.Get("/picture.png", [](const httplib::Request&, httplib::Response& res) {
            QImage picture(20, 20, QImage::Format_RGB32);
            picture.fill(Qt::red);
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            picture.save(&buffer, "PNG");
            res.set_content(png.toStdString(), "image/png");
        });
        server->start();
        form = new QWidget;
        form->resize(WindowWidth, WindowHeight);
        browser = new TSextant(form);
        browser->setGeometry(0, 0, WindowWidth, WindowHeight);
        form->show();
    }

    static void TearDownTestSuite()
    {
        delete form;
        delete server;
    }

    static QString Url(const char* path) { return QString::fromStdString(server->url(path)); }
    // The same server under another site's name.
    static std::string OtherSite(const char* path)
    {
        return "http://localhost:" + std::to_string(server->port()) + path;
    }
    static void Load(const char* path) { ASSERT_TRUE(browser->Go(Url(path), 20000)) << path; }

    static inline FixtureServer* server = nullptr;
    static inline QWidget* form = nullptr;
    static inline TSextant* browser = nullptr;
};
