#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

struct TFetchOutcome;

// Where an entry list ends. A list ends only where it says so: no next page, the
// service's own answer past its last page, or an empty page once the entries it
// announced (X-WP-Total, X-WP-TotalPages, openSearch totalResults) were read. A page
// without entries while more were promised, a page that brings nothing new and a page
// asked for twice are errors: taken for the end, they would cut a full run's list short.
class TListWalk
{
public:
    // Raises EVarnokiError when the URL was asked for before.
    void Visit(const QString &url);
    // The URLs of the page not seen before, in order. endAnswer: the service said the list
    // has ended (a client error after the first page). Sets ended when the list ended here;
    // raises EVarnokiError when the page lies about it.
    QStringList Take(const QStringList &urls, const TFetchOutcome &outcome, const QString &page,
                     bool endAnswer, const QString &next, bool &ended);
    // The line for the log when the list announced another number of entries than were
    // read; empty when it announced none or they agree.
    QString TotalLine() const;

private:
    QSet<QString> FVisited;
    QSet<QString> FSeen;
    int FPage = 0;
    std::optional<qint64> FTotal;
    std::optional<qint64> FPages;
};
