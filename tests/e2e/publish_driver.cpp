#include "publish_driver.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdlib>
#include <string>

#include "core/qt_gbk.h"
#include "publish/history_dialog.h"
#include "publish/keypad_publish_form.h"
#include "publish/phrases.h"
#include "publish/publish_attach.h"
#include "publish/quick_publish_form.h"
#include "test_report.h"
#include "widgets/message_editor.h"

namespace tv {
namespace {

void Report(const QString& line) { ReportTestEvent(line); }

bool Pick(QComboBox* box, const QString& text) {
  const int index = box->findText(text);
  if (index < 0) return false;
  box->setCurrentIndex(index);
  return true;
}

QString Flat(QString text) { return text.replace(QLatin1Char('\n'), QLatin1Char(' ')); }

class Hooks : public QObject {
 public:
  Hooks(PublishAttachment& publishing, int fd)
      : QObject(&publishing),
        publishing_(publishing),
        fd_(fd),
        input_(fd, QSocketNotifier::Read, this) {
    connect(&input_, &QSocketNotifier::activated, this, [this] { ReadInput(); });
    connect(&publishing, &PublishAttachment::formShown, this, [](PublishForm* form) {
      Report(QStringLiteral("publish-form-shown %1").arg(form->windowTitle()));
    });
    connect(
        &publishing.Publisher(), &PublishController::publishFinished, this,
        [](bool taken, PublishReply reply) {
          Report(QStringLiteral("publish-finished %1 %2").arg(taken).arg(static_cast<int>(reply)));
        });
    connect(
        &publishing.Loop(), &LoopController::turnFinished, this,
        [](const QString& text, bool answered, bool accepted) {
          Report(
              QStringLiteral("publish-loop-turn %1 %2 %3").arg(answered).arg(accepted).arg(text));
        });
  }
  ~Hooks() override { ::close(fd_); }

 private:
  void ReadInput() {
    char buffer[4096];
    const ssize_t got = ::read(fd_, buffer, sizeof buffer);
    if (got <= 0) {
      if (got == 0) input_.setEnabled(false);
      return;
    }
    pending_.append(buffer, static_cast<std::size_t>(got));
    std::size_t end;
    while ((end = pending_.find('\n')) != std::string::npos) {
      const QString line = QString::fromUtf8(pending_.substr(0, end)).trimmed();
      pending_.erase(0, end + 1);
      // Each command runs from the event loop, so one that opens a modal
      // window does not hold up the next.
      QTimer::singleShot(0, this, [this, line] {
        Run(line);
        Report(QStringLiteral("publish-done ") + line);
      });
    }
  }

  HistoryDialog* History() const {
    PublishForm* form = publishing_.OpenForm();
    return form == nullptr ? nullptr : form->findChild<HistoryDialog*>();
  }

  void Run(const QString& line) {
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty()) return;
    const QString& command = words.front();
    const QString arg = words.size() > 1 ? words[1] : QString();
    PublishForm* form = publishing_.OpenForm();
    auto* quick = qobject_cast<QuickPublishForm*>(form);
    auto* keypad = qobject_cast<KeypadPublishForm*>(form);
    if (command == QLatin1String("open")) {
      if (arg == QLatin1String("quick"))
        QTimer::singleShot(0, &publishing_, &PublishAttachment::OpenQuickForm);
      else
        QTimer::singleShot(0, &publishing_, &PublishAttachment::OpenKeypadForm);
    } else if (form == nullptr) {
      Report(QStringLiteral("publish-error no form"));
    } else if (command == QLatin1String("close")) {
      form->reject();
    } else if (command == QLatin1String("text")) {
      form->Editor()->setPlainText(line.section(QLatin1Char(' '), 1));
    } else if (command == QLatin1String("type") && words.size() > 1) {
      Pick(form->TypeList(), arg);
    } else if (command == QLatin1String("dest") && quick != nullptr) {
      for (int level = 0; level < 3 && level + 1 < words.size(); ++level)
        Pick(quick->DestinationList(level), words[level + 1]);
    } else if (command == QLatin1String("cargo") && quick != nullptr) {
      FillCargo(*quick, words.mid(1));
    } else if (command == QLatin1String("generate") && quick != nullptr) {
      quick->Generate();
      Report(QStringLiteral("publish-editor ") + Flat(form->Editor()->toPlainText()));
    } else if (command == QLatin1String("key") && keypad != nullptr) {
      // "key blank" is the key whose caption is one blank.
      const QString caption = arg == QLatin1String("blank") ? QStringLiteral(" ") : arg;
      if (QPushButton* key = keypad->Key(caption)) key->click();
      Report(QStringLiteral("publish-editor ") + Flat(form->Editor()->toPlainText()));
    } else if (command == QLatin1String("menu") && keypad != nullptr && words.size() > 2) {
      ChooseFromMenu(*keypad, arg, words[2]);
      Report(QStringLiteral("publish-editor ") + Flat(form->Editor()->toPlainText()));
    } else if (command == QLatin1String("region") && keypad != nullptr) {
      // "region 山东省 济宁": picks down to the last name given and adds it.
      const int last = static_cast<int>(words.size()) - 2;
      for (int level = 0; level <= last && level < 3; ++level)
        Pick(keypad->RegionList(level), words[level + 1]);
      if (last >= 0 && last < 3) keypad->AddRegionButton(last)->click();
      Report(QStringLiteral("publish-editor ") + Flat(form->Editor()->toPlainText()));
    } else if (command == QLatin1String("publish")) {
      form->PublishButton()->click();
    } else if (command == QLatin1String("history")) {
      QTimer::singleShot(0, form, &PublishForm::OpenHistory);
      QTimer::singleShot(100, this, [this] {
        if (HistoryDialog* dialog = History())
          Report(QStringLiteral("publish-history %1").arg(dialog->HistoryList()->count()));
      });
    } else if (HistoryDialog* dialog = History()) {
      RunHistory(*dialog, command, arg);
    }
  }

  void RunHistory(HistoryDialog& dialog, const QString& command, const QString& arg) {
    auto select = [](QListWidget* list, int row) {
      if (row < 0 || row >= list->count()) return;
      list->setCurrentRow(row);
      list->item(row)->setSelected(true);
    };
    if (command == QLatin1String("use")) {
      select(dialog.HistoryList(), arg.toInt());
      dialog.UseButton()->click();
    } else if (command == QLatin1String("loopadd")) {
      select(dialog.HistoryList(), arg.toInt());
      dialog.AddButton()->click();
    } else if (command == QLatin1String("loopall")) {
      dialog.AddAllButton()->click();
    } else if (command == QLatin1String("loop")) {
      dialog.IntervalList()->setCurrentIndex(arg.toInt());
      dialog.LoopBox()->click();
    } else if (command == QLatin1String("closehistory")) {
      dialog.reject();
    }
  }

  static void FillCargo(QuickPublishForm& form, const QStringList& pairs) {
    const QuickPublishForm::CargoRow& row = form.Cargo();
    for (const QString& pair : pairs) {
      const QString key = pair.section(QLatin1Char('='), 0, 0);
      const QString value = pair.section(QLatin1Char('='), 1);
      if (key == QLatin1String("goods")) row.goods->setCurrentText(value);
      if (key == QLatin1String("quantity")) row.quantity->setText(value);
      if (key == QLatin1String("unit")) row.unit->setCurrentText(value);
      if (key == QLatin1String("count")) row.truck_count->setText(value);
      if (key == QLatin1String("length")) row.truck_length->setText(value);
      if (key == QLatin1String("type")) row.truck_type->setCurrentText(value);
      if (key == QLatin1String("freight")) row.freight->setCurrentText(value);
      if (key == QLatin1String("price")) row.price->setText(value);
      if (key == QLatin1String("priceunit")) row.price_unit->setCurrentText(value);
    }
  }

  // "menu [常用词] 明天": the item of that text, in a submenu or not.
  static void ChooseFromMenu(KeypadPublishForm& form, const QString& button, const QString& item) {
    const publish_data::PhraseMenu* menu = FindPhraseMenu(ToGbk(button));
    if (menu == nullptr) return;
    std::unique_ptr<QMenu> popup(form.BuildPhraseMenu(*menu, &form));
    QList<QMenu*> menus{popup.get()};
    while (!menus.isEmpty()) {
      QMenu* current = menus.takeFirst();
      for (QAction* action : current->actions()) {
        if (action->menu() != nullptr) {
          menus.append(action->menu());
        } else if (action->text() == item) {
          action->trigger();
          return;
        }
      }
    }
  }

  PublishAttachment& publishing_;
  int fd_;
  QSocketNotifier input_;
  std::string pending_;
};

}  // namespace

bool InstallPublishDriver(PublishAttachment& publishing) {
  const char* path = std::getenv("TARVOLO_TEST_PUBLISH_INPUT");
  if (path == nullptr || *path == '\0') return false;
  // Read and write: the FIFO never reads as ended while the script pauses.
  const int fd = ::open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  new Hooks(publishing, fd);
  return true;
}

}  // namespace tv
