#include "account/registration_form.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "account/registration_regions.h"
#include "core/background_job.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "core/qt_gbk.h"
#include "regions/qt/region_combo_binding.h"
#include "shell/web_page_window.h"
#include "widgets/color_label.h"
#include "widgets/tab_chain.h"

namespace tv {
namespace {

using Field = RegistrationField;

constexpr int kEditWidth = 190;

QString SubmitCaption() { return QStringLiteral("同意服务条款,确认提交"); }

// The text fields as a notice names them, in the form's order.
struct NamedField {
  Field field;
  const char* name_utf8;
};
constexpr NamedField kTextFields[] = {
    {Field::kMemberName, "会员名"}, {Field::kMemberPassword, "密码"}, {Field::kConfirm, "确认密码"},
    {Field::kRealName, "真实姓名"}, {Field::kCompany, "公司名称"},    {Field::kUrl, "公司网址"},
    {Field::kAreaCode, "电话区号"}, {Field::kTelNumber, "联系电话"},  {Field::kMobile, "手机"},
    {Field::kTel2, "电话二"},       {Field::kQq, "ＱＱ号码"},         {Field::kEmail, "E-mail"},
    {Field::kAddress, "联系地址"},  {Field::kPostCode, "邮政编码"},
};

// "阅读服务条款" and the hidden download link: 12 pixels of "宋体".
LinkLabel* MakeLink(const QString& text, const QString& tip, Colour colour, QWidget* parent) {
  auto* link = new LinkLabel(parent);
  link->SetTextStyle(text, colour, 12, false, QStringLiteral("宋体"), ColorLabel::kLeft);
  link->SetTip(tip);
  link->setAccessibleName(text);
  return link;
}

QLabel* Note(const QString& text, QWidget* parent) {
  auto* note = new QLabel(text, parent);
  QPalette palette = note->palette();
  palette.setColor(QPalette::WindowText, QColor(0x55, 0x55, 0x55));
  note->setPalette(palette);
  return note;
}

QLabel* Required(QWidget* parent) {
  auto* star = new QLabel(QStringLiteral("*"), parent);
  QPalette palette = star->palette();
  palette.setColor(QPalette::WindowText, Qt::red);
  star->setPalette(palette);
  return star;
}

}  // namespace

RegistrationForm::RegistrationForm(Services services, QWidget* parent)
    : QDialog(parent),
      services_(std::move(services)),
      regions_(std::make_unique<RegistrationRegionPicker>()) {
  setWindowTitle(QStringLiteral("注册会员"));
  setWindowIcon(QIcon(QStringLiteral(":/tarvolo/icon.png")));
  BuildForm();
  edits_[static_cast<std::size_t>(Field::kMemberName)]->setFocus();
}

RegistrationForm::~RegistrationForm() = default;

void RegistrationForm::BuildForm() {
  fields_ = new QWidget(this);
  auto* grid = new QGridLayout(fields_);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(5);
  int row = 0;

  auto edit = [this](Field field, const char* object_name) {
    auto* e = new QLineEdit(fields_);
    e->setObjectName(QString::fromLatin1(object_name));
    e->setFixedWidth(kEditWidth);
    edits_[static_cast<std::size_t>(field)] = e;
    return e;
  };
  // label | field, "*" and note side by side
  auto add_row = [&](const QString& label, QWidget* field, bool required,
                     const QString& note = QString()) {
    auto* caption = new QLabel(label, fields_);
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The caption names the field (the first of a row of several).
    QWidget* named = field;
    if (field->layout() != nullptr && field->layout()->count() > 0) {
      named = field->layout()->itemAt(0)->widget();
    }
    caption->setBuddy(named);
    auto* cell = new QHBoxLayout;
    cell->setSpacing(4);
    cell->addWidget(field);
    if (required) cell->addWidget(Required(fields_));
    if (!note.isEmpty()) cell->addWidget(Note(note, fields_));
    cell->addStretch(1);
    grid->addWidget(caption, row, 0);
    grid->addLayout(cell, row, 1);
    return caption;
  };

  const QString name_hint = QStringLiteral("4-20英文或数字,不区分大小写");
  add_row(QStringLiteral("会 员 名："), edit(Field::kMemberName, "username"), true, name_hint);
  ++row;
  QLineEdit* password = edit(Field::kMemberPassword, "password");
  password->setEchoMode(QLineEdit::Password);
  add_row(QStringLiteral("密　　码："), password, true, name_hint);
  ++row;
  QLineEdit* confirm = edit(Field::kConfirm, "confirm");
  confirm->setEchoMode(QLineEdit::Password);
  add_row(QStringLiteral("确认密码："), confirm, true);
  ++row;
  add_row(QStringLiteral("真实姓名："), edit(Field::kRealName, "name1"), true,
          QStringLiteral("汉字"));
  ++row;
  sex_ = new QComboBox(fields_);
  sex_->setObjectName(QStringLiteral("sex"));
  sex_->addItems({QStringLiteral("男"), QStringLiteral("女")});
  sex_->setCurrentIndex(0);
  add_row(QStringLiteral("性　　别："), sex_, false);
  ++row;
  add_row(QStringLiteral("公司名称："), edit(Field::kCompany, "company"), false);
  ++row;

  auto* place = new QWidget(fields_);
  auto* place_row = new QHBoxLayout(place);
  place_row->setContentsMargins(0, 0, 0, 0);
  place_row->setSpacing(4);
  province_ = new QComboBox(place);
  province_->setObjectName(QStringLiteral("province"));
  city_ = new QComboBox(place);
  city_->setObjectName(QStringLiteral("city"));
  town_ = new QComboBox(place);
  town_->setObjectName(QStringLiteral("town"));
  city_->setAccessibleName(QStringLiteral("所在城市"));
  town_->setAccessibleName(QStringLiteral("所在县区"));
  for (QComboBox* box : {province_, city_, town_}) {
    box->setMinimumWidth(96);
    box->setMaxVisibleItems(20);
    place_row->addWidget(box);
  }
  region_binding_ = new RegionComboBinding(*regions_, province_, city_, town_, this);
  add_row(QStringLiteral("所 在 地："), place, true);
  ++row;

  add_row(QStringLiteral("公司网址："), edit(Field::kUrl, "url"), false);
  ++row;

  auto* phone = new QWidget(fields_);
  auto* phone_row = new QHBoxLayout(phone);
  phone_row->setContentsMargins(0, 0, 0, 0);
  phone_row->setSpacing(4);
  auto* area = new QLineEdit(phone);
  area->setObjectName(QStringLiteral("areacode"));
  area->setFixedWidth(48);
  area->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), area));
  edits_[static_cast<std::size_t>(Field::kAreaCode)] = area;
  auto* number = new QLineEdit(phone);
  number->setObjectName(QStringLiteral("tel"));
  number->setFixedWidth(kEditWidth - 48 - 4 - 10);
  number->setAccessibleName(QStringLiteral("电话号码"));
  edits_[static_cast<std::size_t>(Field::kTelNumber)] = number;
  phone_row->addWidget(area);
  phone_row->addWidget(new QLabel(QStringLiteral("-"), phone));
  phone_row->addWidget(number);
  add_row(QStringLiteral("联系电话："), phone, true, QStringLiteral("多个号码以＂-＂号相隔．"));
  ++row;

  add_row(QStringLiteral("手　　机："), edit(Field::kMobile, "sj"), false);
  ++row;
  add_row(QStringLiteral("电 话 二："), edit(Field::kTel2, "tel1"), false);
  ++row;
  add_row(QStringLiteral("ＱＱ号码："), edit(Field::kQq, "sj1"), false);
  ++row;
  add_row(QStringLiteral("E-mail："), edit(Field::kEmail, "email"), false);
  ++row;
  QLineEdit* address = edit(Field::kAddress, "address");
  address->setFixedWidth(2 * kEditWidth);
  add_row(QStringLiteral("联系地址："), address, false);
  ++row;
  // The postal code is still sent (empty); its row is not shown.
  QLineEdit* post = edit(Field::kPostCode, "post");
  add_row(QStringLiteral("邮政编码："), post, false)->hide();
  post->hide();
  grid->setColumnStretch(1, 1);

  auto* header = new QLabel(QStringLiteral("标<font color=\"red\">*</font>号的为必填项"), this);
  header->setTextFormat(Qt::RichText);

  submit_ = new QPushButton(SubmitCaption(), this);
  submit_->setObjectName(QStringLiteral("submit"));
  refuse_ = new QPushButton(QStringLiteral("不同意"), this);
  refuse_->setObjectName(QStringLiteral("refuse"));
  for (QPushButton* b : {submit_, refuse_}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }
  terms_link_ = MakeLink(QStringLiteral("阅读服务条款"), QStringLiteral("点击阅读服务条款"),
                         MakeColour(255, 0, 0), this);
  download_link_ = MakeLink(QStringLiteral("下载网络电话"), QStringLiteral("点击下载网络电话"),
                            MakeColour(0, 0, 255), this);
  download_link_->hide();
  connect(terms_link_, &LinkLabel::clicked, this, &RegistrationForm::OpenTerms);
  connect(download_link_, &LinkLabel::clicked, this,
          [this] { QDesktopServices::openUrl(services_.download_address); });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(terms_link_);
  buttons->addWidget(download_link_);
  buttons->addStretch(1);
  buttons->addWidget(submit_);
  buttons->addWidget(refuse_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 12, 16, 12);
  layout->setSpacing(10);
  layout->addWidget(header);
  layout->addWidget(fields_);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  // The link sits left of the buttons but is made after them.
  SetTabChain({Edit(Field::kAddress), terms_link_, download_link_, submit_, refuse_});

  connect(submit_, &QPushButton::clicked, this, &RegistrationForm::Submit);
  connect(refuse_, &QPushButton::clicked, this, &QDialog::reject);
}

QLineEdit* RegistrationForm::Edit(RegistrationField field) const {
  return edits_[static_cast<std::size_t>(field)];
}

WebPageWindow* RegistrationForm::TermsWindow() const { return terms_window_.data(); }

RegistrationValues RegistrationForm::Values() const {
  auto text = [this](Field field) { return ToGbk(Edit(field)->text()); };
  RegistrationValues v;
  v.username = text(Field::kMemberName);
  v.password = text(Field::kMemberPassword);
  v.confirm = text(Field::kConfirm);
  v.real_name = text(Field::kRealName);
  v.sex = ToGbk(sex_->currentText());
  v.company = text(Field::kCompany);
  v.province = std::string(regions_->ProvinceText());
  v.city = std::string(regions_->PrefectureText());
  v.town = std::string(regions_->CountyText());
  v.url = text(Field::kUrl);
  v.area_code = text(Field::kAreaCode);
  v.tel_number = text(Field::kTelNumber);
  v.mobile = text(Field::kMobile);
  v.tel2 = text(Field::kTel2);
  v.qq = text(Field::kQq);
  v.email = text(Field::kEmail);
  v.address = text(Field::kAddress);
  v.post = text(Field::kPostCode);
  return v;
}

bool RegistrationForm::RefuseUnsendable() {
  // GBK would keep '?' for such a character: in the member's name, its
  // password, and the contact line of every message it publishes.
  for (const NamedField& named : kTextFields) {
    QLineEdit* edit = Edit(named.field);
    const GbkFit fit = FitToGbk(edit->text());
    if (fit.fits()) continue;
    ShowNotice(Utf8ToGbk(named.name_utf8) + TV_TEXT("中有无法发送的字符: ") +
               DescribeCharacters(fit.unfit) + TV_TEXT("\n\n请删除或换成其他文字后再提交"));
    edit->setFocus();
    return true;
  }
  return false;
}

void RegistrationForm::Submit() {
  if (sending_ || RefuseUnsendable()) return;
  RegistrationValues values = Values();
  if (const auto problem = CheckRegistration(values)) {
    ShowNotice(problem->notice);
    for (Field field : problem->emptied) {
      if (QLineEdit* e = Edit(field)) e->clear();
    }
    QWidget* focus = problem->focus == Field::kProvince ? province_
                     : problem->focus == Field::kCity   ? city_
                                                      : static_cast<QWidget*>(Edit(problem->focus));
    if (focus != nullptr) focus->setFocus();
    return;
  }
  SetSending(true);
  const std::string host = services_.current_host ? services_.current_host() : std::string();
  std::string username = values.username;
  RunInBackground(
      this,
      [send = services_.send, host, values = std::move(values)] { return send(host, values); },
      [this, username = std::move(username)](std::string answer) {
        ApplyAnswer(answer, username);
      });
}

void RegistrationForm::SetSending(bool sending) {
  sending_ = sending;
  fields_->setEnabled(!sending);
  submit_->setEnabled(!sending);
  submit_->setText(sending ? QStringLiteral("正在提交...") : SubmitCaption());
}

void RegistrationForm::ApplyAnswer(const std::string& answer, const std::string& username) {
  SetSending(false);
  const RegistrationReply reply = ReadRegistrationAnswer(answer, username);
  if (!reply.notice.empty()) ShowNotice(reply.notice);
  emit answered(reply.outcome);
  if (reply.close_form) accept();
}

void RegistrationForm::OpenTerms() {
  // One terms window at a time, as the main window's web pages.
  if (!terms_window_.isNull() || !services_.terms_address.isValid()) return;
  // A child of this modal form, so that it takes input while the form is up.
  terms_window_ = new WebPageWindow(WebPageWindow::Mode::kAddress, services_.terms_address,
                                    QStringLiteral("Tarvolo"), this);
  terms_window_->show();
}

void RegistrationForm::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      // Neither submits nor closes: only the buttons and the close box do.
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

}  // namespace tv
