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
    "A later log from the same callsign replaces the earlier one when it comes with the earlier one's receipt.",
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
    "Version {} of this callsign's log: it is the one checked.",
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
    "The log's CALLSIGN {} is not a callsign: it may hold letters, digits and / only, at most 20 of them.",
    "The CALLSIGN line says {}, but most QSO lines give {} as the own call. Please make them agree and send "
    "the log again.",
    "The log holds no QSO line that could be read.",
    "No QSO of this log falls in the contest period, {}. Its QSOs are dated {}.",
    "The first {} of {} are shown.",
    "All of them as a text file",
    "Receipt of your earlier log, when this one corrects it",
    "Kept, not checked",
    "Version {} of this callsign's log: a later version replaced it.",
    "Version {} of this callsign's log. An earlier log of this callsign came first, and this one did not come "
    "with its receipt, so it waits for the organiser's decision; until then the earlier one is checked. If you "
    "sent the earlier log, send this one again with that log's receipt.",
    "Version {} of this callsign's log: the organiser kept another version.",
    "The receipt given is not one of a log of {} that is or was checked.",
    "To send a corrected log later, use this link, or give this receipt on the form:",
    "Versions waiting for your decision",
    "Checked now",
    "Waiting",
    "Check this version instead",
    "Keep the one checked now",
    "Every version received",
    "State",
    "File",
    "checked",
    "replaced",
    "waiting",
    "declined",
    "This version is not waiting for a decision.",
    "Only a cross-check run that has finished can be published.",
    "Results of cross-check run {}, made {} UTC.",
    "Reopen the robot",
    "Logs are still being taken. Publish the results of cross-check run {} all the same?",
    "Publish all the same",
    "Started {} UTC.",
    "Finished {} UTC.",
    "Collecting the logs: {}.",
    "Cross-checking the logs.",
    "Packing the zip.",
    "This page refreshes itself; you may leave it and come back.",
    "running",
    "failed",
    "done",
    "Download everything received (zip)",
    "Refused uploads",
    "The claimed score differs from the computed one",
};

const PageTexts kRussian = {
    "ru",
    "English",
    "Робот приёма отчётов ZEMRIX",
    "Отправить отчёт",
    "Файл Cabrillo или ADIF либо текст отчёта. Ответ приходит сразу. "
    "Новый отчёт того же позывного заменяет прежний, если к нему приложена квитанция прежнего.",
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
    "Версия {} отчёта этого позывного: проверяется она.",
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
    "CALLSIGN отчёта {} не похож на позывной: допустимы только буквы, цифры и /, не более 20 знаков.",
    "В строке CALLSIGN указан {}, а в большинстве строк QSO свой позывной {}. Исправьте отчёт и отправьте "
    "его снова.",
    "В отчёте нет ни одной строки QSO, которую удалось прочитать.",
    "Ни одна связь отчёта не попадает в период соревнования {}. Даты связей в отчёте: {}.",
    "Показаны первые {} из {}.",
    "Все одним текстовым файлом",
    "Квитанция прежнего отчёта, если этот его исправляет",
    "Сохранён, не проверяется",
    "Версия {} отчёта этого позывного: её заменила более поздняя.",
    "Версия {} отчёта этого позывного. Раньше пришёл отчёт этого позывного, а этот пришёл без его квитанции, "
    "поэтому он ждёт решения организатора; до тех пор проверяется прежний. Если прежний отчёт отправили вы, "
    "отправьте этот снова с квитанцией прежнего.",
    "Версия {} отчёта этого позывного: организатор оставил другую версию.",
    "Указанная квитанция не принадлежит отчёту {}, который проверяется или проверялся.",
    "Чтобы позже отправить исправленный отчёт, откройте эту ссылку или укажите эту квитанцию в форме:",
    "Версии, ждущие вашего решения",
    "Проверяется сейчас",
    "Ждёт",
    "Проверять эту версию",
    "Оставить проверяемую",
    "Все полученные версии",
    "Состояние",
    "Файл",
    "проверяется",
    "заменена",
    "ждёт",
    "отклонена",
    "Эта версия не ждёт решения.",
    "Опубликовать можно только завершённую проверку.",
    "Результаты проверки № {}, выполненной {} UTC.",
    "Возобновить приём",
    "Отчёты ещё принимаются. Всё равно опубликовать результаты проверки № {}?",
    "Всё равно опубликовать",
    "Начата {} UTC.",
    "Завершена {} UTC.",
    "Сбор отчётов: {}.",
    "Перекрёстная проверка отчётов.",
    "Упаковка zip.",
    "Страница обновляется сама; можно уйти и вернуться позже.",
    "идёт",
    "не удалась",
    "завершена",
    "Скачать всё полученное (zip)",
    "Непринятые отчёты",
    "Заявленный результат отличается от подсчитанного",
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

std::string fill(const char* pattern, const std::string& value, const std::string& second)
{
    const std::string text = pattern;
    const auto at = text.find("{}");
    if (at == std::string::npos)
        return text;
    return text.substr(0, at) + value + fill(pattern + at + 2, second);
}
