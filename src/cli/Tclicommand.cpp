#include "cli/Tclicommand.h"

#include "cli/Tclicommands.h"
#include "cli/Tcliproject.h"
#include "cli/Tconsolehost.h"
#include "platform/Tappconfig.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <utility>

namespace {
const QString Program = QStringLiteral("varnoki-cli");

// Where the command list's descriptions start.
constexpr qsizetype DescriptionColumn = 37;
// Where a synopsis is wrapped.
constexpr qsizetype SynopsisWidth = 88;

class TStdioSink : public TCliSink
{
public:
    void Write(TCliStream stream, const QByteArray &bytes) override
    {
        std::FILE *file = stream == TCliStream::Out ? stdout : stderr;
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file);
        std::fflush(file);
    }
};

TStdioSink StdioSink;
TCliSink *CurrentSink = &StdioSink;

// Control characters that a terminal would act on: C0 other than tab and line breaks,
// DEL and C1 (a blog's titles could otherwise move the cursor, recolour or retitle it),
// and the bidirectional embeddings, overrides and isolates, which would show a line's
// text in another order than it has.
bool IsTerminalControl(char16_t c)
{
    return (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || (c >= 0x7F && c <= 0x9F)
           || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

QString ControlEscape(char16_t c, const char *form)
{
    // Past two digits "\xHH" would not say where the number ends.
    if (c > 0xFF && qstrcmp(form, "\\x%02X") == 0)
        return QString::asprintf("\\u%04X", unsigned(c));
    return QString::asprintf(form, unsigned(c));
}

QString EscapeControls(const QString &text, const char *form)
{
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return IsTerminalControl(c.unicode()); }))
        return text;
    QString result;
    result.reserve(text.size() + 8);
    for (const QChar c : text)
        result += IsTerminalControl(c.unicode()) ? ControlEscape(c.unicode(), form) : QString(c);
    return result;
}

void Print(TCliStream stream, const QString &line)
{
    CurrentSink->Write(stream, TerminalSafe(line).toUtf8() + '\n');
}

QString SeeHelp(const QString &command)
{
    return QStringLiteral(" (%1 %2 --help)").arg(Program, command);
}

QString OptionText(const TCliOption &option)
{
    return QStringLiteral("--") + option.Name
           + (option.ValueName.isEmpty() ? QString() : QLatin1Char(' ') + option.ValueName);
}

// The command's name and arguments, its required options, then the others: all of
// them, or "[OPTIONS]" for the command list.
QStringList SynopsisWords(const TCliCommand &command, bool everyOption)
{
    QStringList words = QStringList{Program, command.Name} + command.Arguments;
    bool optional = false;
    for (const TCliOption &option : command.Options) {
        if (option.Required)
            words.append(OptionText(option));
    }
    for (const TCliOption &option : command.Options) {
        if (option.Required)
            continue;
        optional = true;
        if (everyOption)
            words.append(QLatin1Char('[') + OptionText(option) + QLatin1Char(']')
                         + (option.Repeatable ? QStringLiteral("...") : QString()));
    }
    if (optional && !everyOption)
        words.append(QStringLiteral("[OPTIONS]"));
    return words;
}

QString MainUsage()
{
    QString text = QStringLiteral("使い方 / Usage: varnoki-cli COMMAND [ARGUMENTS]\n"
                                  "\n"
                                  "コマンド / Commands:\n");
    for (const TCliCommand &command : CliCommands()) {
        // Every option when they fit before the description, else "[OPTIONS]".
        QString synopsis = QStringLiteral("  ") + SynopsisWords(command, true).mid(1).join(QLatin1Char(' '));
        if (synopsis.size() >= DescriptionColumn)
            synopsis = QStringLiteral("  ") + SynopsisWords(command, false).mid(1).join(QLatin1Char(' '));
        if (synopsis.size() < DescriptionColumn)
            text += synopsis.leftJustified(DescriptionColumn) + command.Description + QLatin1Char('\n');
        else
            text += synopsis + QLatin1Char('\n') + QString(DescriptionColumn, QLatin1Char(' '))
                    + command.Description + QLatin1Char('\n');
    }
    return text
           + QStringLiteral("\n"
                            "各コマンドの説明 / Help on a command: varnoki-cli COMMAND --help\n"
                            "終了コード / Exit status: 0 成功 success, 1 エラー error, 2 使い方の誤り bad usage,\n"
                            "  130 Ctrl+C でキャンセル cancelled");
}

// Raised by the parser after it has shown a command's help.
struct THelpShown
{
};

int RunCommand(const TCliCommand &command, const QStringList &arguments)
{
    try {
        if (!command.Cancellable)
            ReleaseStopSignals();
        TCliContext context(command, arguments);
        return command.Run(context);
    } catch (const THelpShown &) {
        return ExitOk;
    } catch (const EUsageError &error) {
        PrintErr(OneLine(error.Message()));
        return ExitUsage;
    } catch (const EVarnokiError &error) {
        PrintErr(OneLine(error.Message()));
        return ExitFailed;
    } catch (const std::exception &error) {
        PrintErr(OneLine(QString::fromLocal8Bit(error.what())));
        return ExitFailed;
    }
}
} // namespace

TCliSink *SetCliSink(TCliSink *sink)
{
    return std::exchange(CurrentSink, sink ? sink : &StdioSink);
}

void PrintOut(const QString &line)
{
    Print(TCliStream::Out, line);
}

void PrintErr(const QString &line)
{
    Print(TCliStream::Err, line);
}

void WriteOut(const QByteArray &bytes)
{
    CurrentSink->Write(TCliStream::Out, bytes);
}

QString EscapeField(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'\t': result += QLatin1String("\\t"); break;
        case u'\n': result += QLatin1String("\\n"); break;
        case u'\r': result += QLatin1String("\\r"); break;
        case u'\\': result += QLatin1String("\\\\"); break;
        default: result += IsTerminalControl(c.unicode()) ? ControlEscape(c.unicode(), "\\x%02X") : QString(c);
        }
    }
    return result;
}

QString TerminalSafe(const QString &text)
{
    return EscapeControls(text, "\\x%02X");
}

QString JsonTerminalSafe(const QString &text)
{
    return EscapeControls(text, "\\u%04x");
}

QString OneLine(const QString &message)
{
    QStringList lines = message.split(QLatin1Char('\n'));
    for (QString &line : lines)
        line = line.trimmed();
    lines.removeAll(QString());
    return lines.join(QLatin1Char(' '));
}

QString TCliCommand::Synopsis() const
{
    QString text;
    qsizetype lineStart = 0;
    for (const QString &word : SynopsisWords(*this, true)) {
        if (!text.isEmpty() && text.size() - lineStart + 1 + word.size() > SynopsisWidth) {
            text += QStringLiteral("\n   ");
            lineStart = text.size() - 3;
        }
        text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    return text;
}

QString TCliCommand::HelpText() const
{
    QString text = QStringLiteral("使い方 / Usage: ") + Synopsis() + QLatin1Char('\n') + Help + QStringLiteral("\n\n"
                                                                                                       "オプション / Options:\n");
    const QList<TCliOption> shown =
        Options + QList<TCliOption>{{.Name = QStringLiteral("help"),
                                     .Help = QStringLiteral("この説明を表示します。\nShows this help.")}};
    for (const TCliOption &option : shown) {
        text += QStringLiteral("  ") + (option.Name == QLatin1String("help") ? QStringLiteral("-h, ") : QString())
                + OptionText(option)
                + (option.Default.isEmpty() ? QString() : QStringLiteral("  (既定 / default: %1)").arg(option.Default))
                + QLatin1Char('\n');
        for (const QString &line : option.Help.split(QLatin1Char('\n')))
            text += QStringLiteral("      ") + line + QLatin1Char('\n');
    }
    text.chop(1);
    return text;
}

TCliContext::TCliContext(const TCliCommand &command, const QStringList &arguments) : FCommand(command)
{
    for (const TCliOption &option : command.Options) {
        QCommandLineOption declared(option.Name, QString(), option.ValueName);
        if (!option.Default.isEmpty())
            declared.setDefaultValue(option.Default);
        FParser.addOption(declared);
    }
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    FParser.addOption(helpOption);
    const QString seeHelp = SeeHelp(command.Name);
    if (!FParser.parse(QStringList{Program} + arguments)) {
        const QStringList unknown = FParser.unknownOptionNames();
        if (!unknown.isEmpty())
            throw EUsageError(QStringLiteral("不明なオプションです: ") + unknown.first() + seeHelp);
        throw EUsageError(QStringLiteral("オプションが正しくありません: ") + FParser.errorText() + seeHelp);
    }
    if (FParser.isSet(helpOption)) {
        PrintOut(command.HelpText());
        throw THelpShown();
    }
    const qsizetype count = FParser.positionalArguments().size();
    const qsizetype required = std::count_if(command.Arguments.cbegin(), command.Arguments.cend(),
                                             [](const QString &name) { return !name.startsWith(QLatin1Char('[')); });
    if (count < required || count > command.Arguments.size())
        throw EUsageError(QStringLiteral("引数の数が正しくありません。") + seeHelp);
}

TCliContext::~TCliContext() = default;

const TCliOption &TCliContext::Declared(const QString &option) const
{
    const auto found = std::find_if(FCommand.Options.cbegin(), FCommand.Options.cend(),
                                    [&option](const TCliOption &declared) { return declared.Name == option; });
    // A command reading an option it does not declare would never see it given.
    if (found == FCommand.Options.cend())
        throw std::logic_error("undeclared option --" + option.toStdString() + " of " + FCommand.Name.toStdString());
    return *found;
}

bool TCliContext::IsSet(const QString &option) const
{
    return FParser.isSet(Declared(option).Name);
}

QString TCliContext::Value(const QString &option) const
{
    if (Declared(option).Required && !FParser.isSet(option))
        throw EUsageError(QStringLiteral("--%1 を指定してください。").arg(option) + SeeHelp(FCommand.Name));
    return FParser.value(option);
}

QStringList TCliContext::Values(const QString &option) const
{
    return FParser.values(Declared(option).Name);
}

TCliProject &TCliContext::Project()
{
    if (!FProject) {
        Q_ASSERT(FCommand.Project != TProjectUse::None);
        auto project = std::make_unique<TCliProject>();
        project->Open(Arguments().at(0), FCommand.Project == TProjectUse::Change);
        FProject = std::move(project);
    }
    return *FProject;
}

int RunJobAndSave(TCliProject &project, const std::function<bool(TConsoleHost &)> &job)
{
    TAppConfig::GetInstance().Load(TAppConfig::GetIniFileName());
    TConsoleHost host;
    bool ok = false;
    try {
        ok = job(host);
    } catch (const EVarnokiError &error) {
        PrintErr(OneLine(error.Message()));
    }
    const bool cancelled = host.IsCancelled();
    project.Save();
    if (cancelled) {
        PrintErr(QStringLiteral("キャンセルしました。取得した内容は保存しました。"));
        return ExitCancelled;
    }
    return ok ? ExitOk : ExitFailed;
}

int RunCli(const QStringList &arguments)
{
    if (arguments.isEmpty()) {
        PrintErr(QStringLiteral("コマンドを指定してください。 (%1 --help)").arg(Program));
        return ExitUsage;
    }
    const QString name = arguments.first();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        PrintOut(MainUsage());
        return ExitOk;
    }
    if (name == QLatin1String("--version")) {
        PrintOut(Program + QLatin1Char(' ') + QStringLiteral(VARNOKI_VERSION));
        return ExitOk;
    }
    const QList<TCliCommand> commands = CliCommands();
    const auto command = std::find_if(commands.cbegin(), commands.cend(),
                                      [&name](const TCliCommand &command) { return command.Name == name; });
    if (command == commands.cend()) {
        PrintErr(QStringLiteral("不明なコマンドです: %1 (%2 --help)").arg(name, Program));
        return ExitUsage;
    }
    return RunCommand(*command, arguments.mid(1));
}
