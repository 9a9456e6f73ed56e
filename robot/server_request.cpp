#include "robot/server_request.h"

#include "robot/organiser_auth.h"
#include "robot/pages.h"

namespace {

bool isHexToken(const std::string& text)
{
    return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

}  // namespace

std::string cookieValue(const httplib::Request& req, const std::string& name)
{
    const std::string header = req.get_header_value("Cookie");
    std::size_t at = 0;
    while (at < header.size()) {
        std::size_t end = header.find(';', at);
        if (end == std::string::npos)
            end = header.size();
        std::string pair = header.substr(at, end - at);
        pair.erase(0, pair.find_first_not_of(' '));
        if (pair.compare(0, name.size() + 1, name + "=") == 0)
            return pair.substr(name.size() + 1);
        at = end + 1;
    }
    return {};
}

// A form's field, from a multipart or a url-encoded body.
std::string formField(const httplib::Request& req, const std::string& name)
{
    if (req.has_file(name))
        return req.get_file_value(name).content;
    return req.get_param_value(name);
}

void RobotServer::Request::setCookie(const std::string& name, const std::string& value, const std::string& extra)
{
    res.set_header("Set-Cookie", name + "=" + value + "; Path=/; HttpOnly; SameSite=Strict" +
                                     (secureCookies ? "; Secure" : "") + extra);
}

std::string RobotServer::Request::csrfToken()
{
    std::string token = cookieValue(req, "csrf");
    if (isHexToken(token))
        return token;
    token = randomToken();
    setCookie("csrf", token);
    return token;
}

bool RobotServer::Request::formIsGenuine() const
{
    const std::string cookie = cookieValue(req, "csrf");
    return isHexToken(cookie) && sameToken(cookie, formField(req, "csrf"));
}

void RobotServer::Request::page(int status, const std::string& html)
{
    res.status = status;
    res.set_content(html, kHtml);
}

void RobotServer::Request::message(int status, const std::string& heading, const std::string& text)
{
    page(status, messagePage(texts, heading, text, req.method == "GET" ? req.path : "/"));
}

void RobotServer::Request::redirect(const std::string& to)
{
    res.status = 303;
    res.set_header("Location", to);
}
