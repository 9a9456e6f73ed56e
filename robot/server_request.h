// What the robot's routes share: one request with its answer, language and
// form token, and the settings the server keeps in robot.db.  Only the
// server's own sources include it.
#pragma once

#include <httplib.h>

#include <string>

#include "robot/page_texts.h"
#include "robot/robot_server.h"

inline const char* const kHtml = "text/html; charset=utf-8";
inline const char* const kClosedAtKey = "closed_at";       // when the organiser closed the robot
inline const char* const kPublishedKey = "published_run";  // the run shown at /results/

// The cookie `name` exactly, from the request's Cookie header; empty if none.
std::string cookieValue(const httplib::Request& req, const std::string& name);
// A form's field, from a multipart or a url-encoded body.
std::string formField(const httplib::Request& req, const std::string& name);

// One request and its answer, with the language and the form token.
struct RobotServer::Request {
    const httplib::Request& req;
    httplib::Response& res;
    const PageTexts texts;
    bool secureCookies;

    void setCookie(const std::string& name, const std::string& value, const std::string& extra = "");
    // The visitor's form token: the cookie's when it has a sound one, else a
    // new one sent along.  POST forms must carry it back.
    std::string csrfToken();
    // True when the form carries the token of the visitor's cookie.
    bool formIsGenuine() const;
    void page(int status, const std::string& html);
    // A short answer.  Its language switch leads to the upload form when it
    // answers a form, since a GET can fetch that.
    void message(int status, const std::string& heading, const std::string& text);
    void redirect(const std::string& to);
};
