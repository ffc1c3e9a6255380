#include "ui/kalmenor/shoprun.h"

#include "catalogue/categorytree.h"
#include "generator/generateshop.h"
#include "generator/generatorcontext.h"
#include "generator/modern/moderntheme.h"
#include "publish/ftpclient.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/settingskeys.h"
#include "shell/tables/table.h"

#include <QCoreApplication>
#include <QThread>

namespace {

// Thrown from the progress hook: not a failure, so no error handler of the generator takes it.
struct RunCancelled {
    int page;
    int pageCount;
};

// The run's questions and boxes, asked on the window's thread while the worker waits.
class WindowThreadInteraction : public shell::Interaction {
public:
    WindowThreadInteraction(shell::Interaction& ui, QObject* windowThreadObject)
        : m_ui(ui), m_context(windowThreadObject)
    {
    }

    void message(const QString& text, const QString& caption) override
    {
        call([&] { m_ui.message(text, caption); });
    }
    void error(const QString& text) override
    {
        call([&] { m_ui.error(text); });
    }
    bool question(const QString& text, const QString& caption) override
    {
        bool answer = false;
        call([&] { answer = m_ui.question(text, caption); });
        return answer;
    }
    std::optional<QString> textQuestion(const QString& text, const QString& caption,
                                        const QString& initial) override
    {
        std::optional<QString> answer;
        call([&] { answer = m_ui.textQuestion(text, caption, initial); });
        return answer;
    }
    QString openFileName(const QString& caption, const QString& dir, const QString& filter) override
    {
        QString name;
        call([&] { name = m_ui.openFileName(caption, dir, filter); });
        return name;
    }
    QString saveFileName(const QString& caption, const QString& dir, const QString& filter,
                         const QString& defaultSuffix) override
    {
        QString name;
        call([&] { name = m_ui.saveFileName(caption, dir, filter, defaultSuffix); });
        return name;
    }
    QString existingDirectory(const QString& caption, const QString& dir) override
    {
        QString name;
        call([&] { name = m_ui.existingDirectory(caption, dir); });
        return name;
    }
    bool openInShell(const QString& urlOrPath) override
    {
        bool ok = false;
        call([&] { ok = m_ui.openInShell(urlOrPath); });
        return ok;
    }
    bool startProgram(const QString& program, const QStringList& args) override
    {
        bool ok = false;
        call([&] { ok = m_ui.startProgram(program, args); });
        return ok;
    }

private:
    template <typename F> void call(F&& f)
    {
        QMetaObject::invokeMethod(m_context, std::forward<F>(f), Qt::BlockingQueuedConnection);
    }
    shell::Interaction& m_ui;
    QObject* m_context;
};

// A callback of the window's thread, called from the worker as a queued call.
template <typename... Args>
std::function<void(Args...)> queued(QObject* context, const std::function<void(Args...)>& f)
{
    if (!f)
        return {};
    return [context, f](Args... args) {
        QMetaObject::invokeMethod(
            context, [f, args...] { f(args...); }, Qt::QueuedConnection);
    };
}

} // namespace

ShopRun::ShopRun(shell::Interaction& ui, QObject* parent) : QObject(parent), m_ui(ui) {}

ShopRun::~ShopRun()
{
    if (isRunning()) {
        cancel();
        waitUntilFinished();
    }
}

bool ShopRun::isRunning() const
{
    return m_thread && m_thread->isRunning();
}

void ShopRun::cancel()
{
    m_cancel = true;
}

void ShopRun::waitUntilFinished()
{
    // The worker may be waiting for an answer from this thread: keep serving it.
    while (m_thread && !m_thread->wait(QDeadlineTimer(20)))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    // The report lines and the end of the run were posted before the thread ended: deliver them now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

bool ShopRun::start(Job job)
{
    if (isRunning())
        return false;
    if (m_thread)
        m_thread->wait();
    m_cancel = false;
    m_thread.reset(QThread::create([this, job = std::move(job)] { run(job); }));
    m_thread->start();
    return true;
}

void ShopRun::run(const Job& job)
{
    WindowThreadInteraction ui(m_ui, this);
    bool ok = false;
    bool cancelled = false;
    try {
        // A modern shop whose currency has no code asks for it before anything is written.
        shell::Settings settings = job.settings;
        if (!generator::modern::askForCurrencyCode(settings, ui)) {
            const QString stopped = QStringLiteral(
                "The web shop was not built: the modern web shop needs the three-letter code of its "
                "currency ([Opcje] waluta_kod).");
            Q_EMIT reportLine(stopped);
            ui.message(stopped, QString());
            Q_EMIT finished(false, false);
            return;
        }
        if (settings.options.currencyCode != job.settings.options.currencyCode) {
            const shell::SettingKey* key = shell::findSettingKey(QStringLiteral("Opcje/waluta_kod"));
            Q_EMIT settingStored(key->name(), shell::storedText(*key, settings));
        }

        // The worker's own cursor over the products table and its own copy of the tree.
        tables::Table products;
        products.open(job.folder.productsTable());
        catalogue::CategoryTree tree;
        tree.fromLines(job.treeLines, job.folder.treeFile());

        generator::GenerationHooks hooks;
        hooks.clearReport = [this] { Q_EMIT reportCleared(); };
        hooks.reportLine = [this](const QString& line) { Q_EMIT reportLine(line); };
        hooks.progress = [this](int value, int maximum) {
            if (m_cancel.load() && value > 0)
                throw RunCancelled{value - 1, maximum};
            Q_EMIT progress(value, maximum);
        };
        publish::UploadResult sent;
        if (job.kind == Kind::Upload) {
            hooks.upload = [&] {
                Q_EMIT uploadStarted();
                publish::UploadCallbacks callbacks;
                callbacks.appendReport = [this](const QString& line) { Q_EMIT reportLine(line); };
                callbacks.showStatus = queued(this, job.upload.showStatus);
                callbacks.connected = queued(this, job.upload.connected);
                callbacks.showFolder = queued(this, job.upload.showFolder);
                callbacks.progressMaximum = queued(this, job.upload.progressMaximum);
                callbacks.fileStarting = queued(this, job.upload.fileStarting);
                callbacks.fileFinished = queued(this, job.upload.fileFinished);
                callbacks.cancelRequested = [this] { return m_cancel.load(); };
                publish::FtpClient client;
                sent = publish::uploadShop(job.folder.publishShop(), settings.ftp, job.startTime, client,
                                           callbacks, ui, job.uploadOptions);
            };
        }
        generator::GeneratorContext context(settings, tree, products, job.folder, ui, hooks);
        switch (job.kind) {
        case Kind::Preview:
            ok = generator::previewWebshop(context, false);
            break;
        case Kind::Build:
            ok = generator::buildWebshopAt(context, job.chosenFile, false);
            break;
        case Kind::Upload:
            generator::generateShop(context, job.folder.publishShop(), QStringLiteral("index.html"));
            ok = sent.succeeded();
            cancelled = sent.cancelled;
            break;
        }
        // Said after the report, whose lines stay as they always were.
        if (!context.missingPictures().isEmpty())
            ui.message(generator::missingPicturesLine(int(context.missingPictures().size())), QString());
    } catch (const RunCancelled& stop) {
        cancelled = true;
        Q_EMIT reportLine(
            QStringLiteral("Cancelled by the user after %1 of %2 pages; the pages written so far "
                           "are complete, the others are those of the previous run")
                .arg(stop.page)
                .arg(stop.pageCount));
    } catch (const std::exception& e) {
        ui.error(shell::messageOf(e));
    }
    Q_EMIT finished(ok, cancelled);
}
