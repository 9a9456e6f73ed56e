#include "robot/page_texts.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace {

const PageTexts kEnglish = {
    "en",
    "Русский",
    "ZEMRIX log robot",
    "Send your log",
    "A Cabrillo or ADIF file, or the log pasted as text. The answer comes at once. "
    "A later log from the same callsign replaces the earlier one.",
    "Log file",
    "or paste the log here",
    "E-mail",
    "Send",
    "Logs are taken until {} UTC.",
    "The robot is closed",
    "Logs were due by {} UTC; no more are taken.",
    "Accepted",
    "Refused",
    "This is not a Cabrillo or ADIF log.",
    "The log does not say whose it is: its CALLSIGN is missing.",
    "This is a log of another contest.",
    "No log was sent: choose a file or paste the log.",
    "Please give an e-mail address, so the organiser can reach you.",
    "The upload is larger than the limit of {}.",
    "The form was incomplete or has expired. Please reload the page and send again.",
    "The request could not be understood.",
    "Something went wrong on the robot's side and nothing was stored. Please try again.",
    "The robot is busy receiving other logs and nothing was stored. Please send yours again in a minute.",
    "Receipt",
    "Received (UTC)",
    "Callsign",
    "Category",
    "QSO lines",
    "Claimed score",
    "Computed score",
    "not given",
    "Header problems",
    "Lines the rules reject",
    "Line",
    "As written",
    "Reason",
    "None.",
    "Version {} of this callsign's log: the latest version is the one checked.",
    "This report stays at",
    "Results as the contest's rules count them",
    "The rejected and duplicate QSOs (err.txt)",
    "Send another log",
    "Nothing here.",
    "Organiser's login",
    "Password",
    "Log in",
    "Log out",
    "Wrong password.",
    "Too many wrong attempts. Try again in {} s.",
    "Organiser",
    "Logs received",
    "Received (UTC)",
    "Version",
    "E-mail",
    "Logs still missing (calls that others worked)",
    "Worked by",
    "Run the cross-check",
    "Publish the results",
    "Close the robot now",
    "Cross-check run {}",
    "Download everything (zip)",
    "Results page",
    "Participants' reports",
    "The cross-check failed:",
    "No cross-check has run yet.",
    "Published.",
    "Results",
    "The results are not published yet.",
};

const PageTexts kRussian = {
    "ru",
    "English",
    "Робот приёма отчётов ZEMRIX",
    "Отправить отчёт",
    "Файл Cabrillo или ADIF либо текст отчёта. Ответ приходит сразу. "
    "Новый отчёт того же позывного заменяет прежний.",
    "Файл отчёта",
    "или вставьте текст отчёта сюда",
    "Электронная почта",
    "Отправить",
    "Отчёты принимаются до {} UTC.",
    "Приём отчётов закрыт",
    "Срок приёма истёк {} UTC; отчёты больше не принимаются.",
    "Принят",
    "Не принят",
    "Это не отчёт в формате Cabrillo или ADIF.",
    "В отчёте не указано, чей он: нет CALLSIGN.",
    "Это отчёт другого соревнования.",
    "Отчёт не отправлен: выберите файл или вставьте текст.",
    "Укажите адрес электронной почты, чтобы организатор мог с вами связаться.",
    "Отчёт больше допустимого размера {}.",
    "Форма пришла неполной или устарела. Обновите страницу и отправьте снова.",
    "Запрос не удалось разобрать.",
    "На стороне робота произошла ошибка, ничего не сохранено. Попробуйте ещё раз.",
    "Робот занят приёмом других отчётов, ничего не сохранено. Отправьте свой отчёт ещё раз через минуту.",
    "Квитанция",
    "Получен (UTC)",
    "Позывной",
    "Категория",
    "Строк QSO",
    "Заявленный результат",
    "Подсчитанный результат",
    "не указан",
    "Ошибки заголовка",
    "Строки, отклонённые правилами",
    "Строка",
    "Как записано",
    "Причина",
    "Нет.",
    "Версия {} отчёта этого позывного: проверяется последняя версия.",
    "Этот отчёт всегда доступен по адресу",
    "Результат по правилам соревнования",
    "Отклонённые и повторные QSO (err.txt)",
    "Отправить другой отчёт",
    "Здесь ничего нет.",
    "Вход для организатора",
    "Пароль",
    "Войти",
    "Выйти",
    "Неверный пароль.",
    "Слишком много неверных попыток. Повторите через {} с.",
    "Организатор",
    "Полученные отчёты",
    "Получен (UTC)",
    "Версия",
    "Эл. почта",
    "Недостающие отчёты (позывные, которые работали другие)",
    "Сколько работали",
    "Запустить перекрёстную проверку",
    "Опубликовать результаты",
    "Закрыть приём сейчас",
    "Проверка № {}",
    "Скачать всё (zip)",
    "Страница результатов",
    "Отчёты участников",
    "Проверка не удалась:",
    "Проверка ещё не запускалась.",
    "Опубликовано.",
    "Результаты",
    "Результаты ещё не опубликованы.",
};

std::string lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool namesLanguage(const std::string& tag, const char* code)
{
    const std::string prefix = code;
    return tag == prefix || tag.rfind(prefix + "-", 0) == 0;
}

}  // namespace

const PageTexts& pageTexts(Language language)
{
    return language == Language::Russian ? kRussian : kEnglish;
}

Language chooseLanguage(const std::string& choice, const std::string& acceptLanguage)
{
    if (choice == "ru")
        return Language::Russian;
    if (choice == "en")
        return Language::English;
    // "ru-RU,ru;q=0.9,en;q=0.8": the highest weight wins, the first on a tie.
    std::istringstream ranges(lowered(acceptLanguage));
    std::string range;
    Language best = Language::English;
    double bestWeight = 0.0;
    while (std::getline(ranges, range, ',')) {
        std::string tag = range.substr(0, range.find(';'));
        tag.erase(0, tag.find_first_not_of(' '));
        tag.erase(tag.find_last_not_of(' ') + 1);
        double weight = 1.0;
        const auto q = range.find(";q=");
        if (q != std::string::npos)
            weight = std::atof(range.c_str() + q + 3);
        if (weight <= bestWeight)
            continue;
        if (namesLanguage(tag, "ru")) {
            best = Language::Russian;
            bestWeight = weight;
        } else if (namesLanguage(tag, "en")) {
            best = Language::English;
            bestWeight = weight;
        }
    }
    return best;
}

std::string fill(const char* pattern, const std::string& value)
{
    std::string text = pattern;
    const auto at = text.find("{}");
    if (at != std::string::npos)
        text.replace(at, 2, value);
    return text;
}
