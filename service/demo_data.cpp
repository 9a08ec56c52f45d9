#include "demo_data.h"

#include <algorithm>
#include <cstdio>

#include "cities.h"
#include "core/gbk.h"
#include "password.h"

namespace tv {
namespace {

constexpr int kPublishers = 30;
constexpr std::time_t kSpread = 3 * 24 * 60 * 60;

template <typename T, std::size_t N>
constexpr int Size(const T (&)[N]) {
  return static_cast<int>(N);
}

constexpr const char* kGoods[] = {"钢材", "煤炭", "水泥",         "化肥",     "大米", "玉米",
                                  "蔬菜", "水果", "家具",         "机械设备", "建材", "日用百货",
                                  "饮料", "纸箱", "塑料颗粒",     "家电",     "服装", "瓷砖",
                                  "石材", "木材", "桶装化工原料", "铝锭",     "轮胎", "食品"};
constexpr const char* kLengths[] = {"4.2米", "6.8米", "7.6米", "9.6米", "13米", "13.5米", "17.5米"};
constexpr const char* kTrucks[] = {"高栏", "低栏", "平板", "厢式", "冷藏", "半挂", "飞翼"};
constexpr const char* kWhen[] = {"今天", "明天", "今明两天", "随时", "下午"};
constexpr const char* kWords[] = {"宏达", "顺通", "安捷", "通达", "鑫源", "恒运", "万里", "畅达",
                                  "联运", "远航", "金桥", "瑞丰", "天成", "汇通", "广进", "佳运"};
constexpr const char* kSuffixes[] = {"物流有限公司", "货运信息部", "配货站", "运输有限公司",
                                     "物流中心"};
constexpr const char* kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "赵", "黄", "周", "吴",
                                     "徐", "孙", "马", "朱", "胡", "郭", "何", "高", "林", "罗"};
constexpr const char* kTitles[] = {"先生", "女士", "经理", "师傅"};
constexpr const char* kGeneral[] = {
    "配货站场地出租，可停大车五十辆，水电齐全", "招聘长途司机两名，要求A2驾照，三年以上驾龄",
    "转让9.6米高栏车一辆，手续齐全，车况良好", "专业代办货车年审、保险，价格优惠"};

std::string Digits(std::mt19937& rng, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out.push_back(static_cast<char>('0' + rng() % 10));
  return out;
}

struct DemoMember {
  DemoLogin login;
  const char* real_name;
  const char* sex;
  const char* company;
  const char* phone;
  const char* mobile;
  const char* net_phone;
  const char* extension;
  const char* city;
  const char* province;
  int member_status;
  int wait_flag;
  int wait_seconds;
  bool contact_right;
  int publish_right;
  int publish_wait;
};

const DemoMember kDemoMembers[] = {
    {{"demo_vip", "vip123", "VIP 会员：全部权限"},
     "王建国",
     "男",
     "郑州宏达物流有限公司",
     "0371-65881234",
     "13903712345",
     "80012345",
     "801",
     "郑州",
     "河南省",
     1,
     0,
     0,
     true,
     1,
     0},
    {{"demo_member", "member123", "普通会员：查看联系方式前等待 10 秒"},
     "李秀英",
     "女",
     "武汉顺通货运信息部",
     "027-83456789",
     "13507155678",
     "",
     "",
     "武汉",
     "湖北省",
     -1,
     1,
     10,
     true,
     1,
     30},
    {{"demo_nocontact", "nocontact123", "无查看联系方式权限（登录回答 NotGoSign）"},
     "赵立新",
     "男",
     "北京安捷物流中心",
     "010-67891234",
     "13801012345",
     "",
     "",
     "北京",
     "北京市",
     1,
     0,
     0,
     false,
     0,
     0},
    {{"demo_nopub", "nopub123", "不能发布信息的会员"},
     "陈志强",
     "男",
     "广州畅达运输有限公司",
     "020-86123456",
     "13602012345",
     "",
     "",
     "广州",
     "广东省",
     1,
     0,
     0,
     true,
     0,
     0},
};

Member ToMember(const DemoMember& d) {
  Member m;
  m.username = d.login.username;
  m.real_name = Utf8ToGbk(d.real_name);
  m.sex = Utf8ToGbk(d.sex);
  m.company = Utf8ToGbk(d.company);
  m.phone = d.phone;
  m.mobile = d.mobile;
  m.net_phone = d.net_phone;
  m.extension = d.extension;
  m.city = Utf8ToGbk(d.city);
  m.province = Utf8ToGbk(d.province);
  m.member_status = d.member_status;
  m.contact_wait_flag = d.wait_flag;
  m.contact_wait_seconds = d.wait_seconds;
  m.contact_right = d.contact_right;
  m.publish_right = d.publish_right;
  m.publish_wait_seconds = d.publish_wait;
  return m;
}

// The contact line a member's messages carry: phone, mobile, company, name.
std::string ContactLine(const Member& m) {
  std::string line = m.phone;
  if (!m.mobile.empty()) line += " " + m.mobile;
  return line + " " + m.company + " " + m.real_name;
}

DemoPublisher PublisherOf(const Member& m) {
  return {m.id, m.city, m.company, ContactLine(m), m.net_phone};
}

std::string PublisherName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "demo_pub%02d", i);
  return name;
}

}  // namespace

const std::vector<DemoLogin>& DemoLogins() {
  static const std::vector<DemoLogin> logins = [] {
    std::vector<DemoLogin> out;
    for (const auto& d : kDemoMembers) out.push_back(d.login);
    return out;
  }();
  return logins;
}

DemoPublisher DemoTraffic::RandomPublisher(std::int64_t flag, int city_index) {
  const auto& cities = ServiceCities();
  // Two draws, the smaller wins: the busy hubs at the front get more traffic.
  const int n = static_cast<int>(cities.size());
  const ServiceCity& city = cities[city_index >= 0 ? city_index % n : std::min(Pick(n), Pick(n))];
  const std::string company_utf8 =
      GbkToUtf8(city.name) + kWords[Pick(Size(kWords))] + kSuffixes[Pick(Size(kSuffixes))];
  const std::string person =
      std::string(kSurnames[Pick(Size(kSurnames))]) + kTitles[Pick(Size(kTitles))];
  const std::string landline = city.area_code + "-" + std::to_string(5 + Pick(4)) + Digits(rng_, 7);
  const std::string mobile = "13" + Digits(rng_, 9);
  DemoPublisher p;
  p.flag = flag;
  p.city = city.name;
  p.company = Utf8ToGbk(company_utf8);
  p.tel = Utf8ToGbk(landline + " " + mobile + " " + company_utf8 + " " + person);
  p.qq = Pick(10) < 7 ? std::to_string(10000 + Pick(90000)) + Digits(rng_, 3) : std::string();
  return p;
}

NewMessage DemoTraffic::Next(const DemoPublisher& publisher, std::time_t when) {
  const auto& cities = ServiceCities();
  const int n = static_cast<int>(cities.size());
  const std::string from =
      Pick(10) < 8 ? GbkToUtf8(publisher.city) : GbkToUtf8(cities[std::min(Pick(n), Pick(n))].name);
  std::string to = GbkToUtf8(cities[std::min(Pick(n), Pick(n))].name);
  if (to == from) to = GbkToUtf8(cities[(Pick(n - 1) + 1) % n].name);
  if (to == from)
    to = GbkToUtf8(cities[0].name) == from ? GbkToUtf8(cities[1].name) : GbkToUtf8(cities[0].name);

  const std::string goods = kGoods[Pick(Size(kGoods))];
  const std::string length = kLengths[Pick(Size(kLengths))];
  const std::string truck = kTrucks[Pick(Size(kTrucks))];
  const std::string when_text = kWhen[Pick(Size(kWhen))];
  std::string quantity;
  switch (Pick(3)) {
    case 0:
      quantity = std::to_string(5 + Pick(31)) + "吨";
      break;
    case 1:
      quantity = std::to_string(10 + Pick(71)) + "方";
      break;
    default:
      quantity = std::to_string(50 + Pick(20) * 50) + "件";
      break;
  }
  std::string price;
  switch (Pick(5)) {
    case 0:
      price = "运费面议";
      break;
    case 1:
      price = "每吨" + std::to_string(60 + Pick(40) * 5) + "元";
      break;
    case 2:
      price = "全包" + std::to_string(1500 + Pick(60) * 100) + "元";
      break;
    case 3:
      price = "价格电议";
      break;
    default:
      price = "运费" + std::to_string(2000 + Pick(50) * 100) + "元一车";
      break;
  }

  NewMessage m;
  const int kind = Pick(100);
  std::string content;
  if (kind < 55) {
    m.type = 0;
    switch (Pick(3)) {
      case 0:
        content = from + "到" + to + "，有" + goods + quantity + "，求" + length + truck + "车，" +
                  price + "，" + when_text + "装车";
        break;
      case 1:
        content = from + "发" + to + goods + quantity + "，需" + length + truck + "一辆，" + price;
        break;
      default:
        content = "急！" + from + "—" + to + "，" + goods + quantity + "，要" + length + truck +
                  "，" + price + "，" + when_text;
        break;
    }
  } else if (kind < 95) {
    m.type = 1;
    switch (Pick(3)) {
      case 0:
        content = length + truck + "车一辆，" + from + "空车去" + to + "，求货，" + price;
        break;
      case 1:
        content = "有" + length + truck + "，" + when_text + from + "发车往" + to + "方向，求" +
                  to + "方向货源，可配零担";
        break;
      default:
        content = to + "回" + from + "，" + length + truck + "车，载重" +
                  std::to_string(10 + Pick(25)) + "吨，求货，" + price;
        break;
    }
  } else {
    m.type = 2;
    content = from + kGeneral[Pick(Size(kGeneral))];
  }
  m.city = publisher.city;
  m.start_city = Utf8ToGbk(from);
  m.content = Utf8ToGbk(content);
  m.tel = publisher.tel;
  m.qq = publisher.qq;
  m.company = publisher.company;
  m.flag = publisher.flag;
  m.created = when;
  return m;
}

bool FillDemoData(ServiceStore& store, int count, unsigned seed, std::string* error) {
  DemoTraffic traffic(seed);
  std::vector<std::int64_t> demo_ids;
  std::vector<DemoPublisher> demo_publishers;
  for (const auto& d : kDemoMembers) {
    Member m = ToMember(d);
    auto hash = HashPassword(d.login.password);
    m.id = hash ? store.AddMember(m, *hash) : 0;
    if (m.id == 0) {
      *error = std::string("cannot add demo member ") + d.login.username;
      return false;
    }
    demo_ids.push_back(m.id);
    demo_publishers.push_back(PublisherOf(m));
  }
  std::vector<DemoPublisher> publishers;
  for (int i = 1; i <= kPublishers; ++i) {
    // Two publishers in each of the busiest hubs, so their lists are long.
    DemoPublisher p = traffic.RandomPublisher(0, (i - 1) % (kPublishers / 2));
    Member m;
    m.username = PublisherName(i);
    m.company = p.company;
    m.city = p.city;
    if (const ServiceCity* c = FindServiceCity(p.city)) m.province = c->province;
    // The publisher's contact texts come back out of the member's fields.
    const std::string tel = GbkToUtf8(p.tel);
    const std::size_t first = tel.find(' ');
    const std::size_t second = tel.find(' ', first + 1);
    const std::size_t last = tel.rfind(' ');
    m.phone = tel.substr(0, first);
    m.mobile = tel.substr(first + 1, second - first - 1);
    m.real_name = Utf8ToGbk(tel.substr(last + 1));
    m.net_phone = p.qq;
    m.sex = TV_TEXT("男");
    auto hash = HashPassword(PublisherName(i) + std::to_string(traffic.rng()()));
    m.id = hash ? store.AddMember(m, *hash) : 0;
    if (m.id == 0) {
      *error = "cannot add demo publisher " + m.username;
      return false;
    }
    publishers.push_back(PublisherOf(m));
  }

  // Friends among the demo members and a few publishers.
  auto befriend = [&](std::int64_t owner, const DemoPublisher& p) {
    store.AddFriend(owner, {0, p.company, p.qq, "", p.flag});
  };
  befriend(demo_ids[0], demo_publishers[1]);
  befriend(demo_ids[1], demo_publishers[0]);
  befriend(demo_ids[3], demo_publishers[0]);
  for (int i = 0; i < 3; ++i) befriend(demo_ids[0], publishers[i]);
  befriend(demo_ids[1], publishers[3]);

  const std::time_t now = std::time(nullptr);
  std::vector<NewMessage> messages;
  messages.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const std::time_t when =
        now - kSpread + static_cast<std::time_t>(i) * (kSpread - 60) / std::max(count, 1);
    const int who = static_cast<int>(traffic.rng()() % 1000);
    DemoPublisher staff;
    const DemoPublisher* p = nullptr;
    if (who < 120) {
      staff = traffic.RandomPublisher(0);
      p = &staff;
    } else if (who < 130) {
      p = &demo_publishers[0];
    } else if (who < 135) {
      p = &demo_publishers[1];
    } else {
      p = &publishers[traffic.rng()() % publishers.size()];
    }
    messages.push_back(traffic.Next(*p, when));
  }
  if (!store.InsertMessages(messages)) {
    *error = "cannot store demo messages";
    return false;
  }
  // Some deals closed and some messages withdrawn, oldest marks first.
  const auto recent = store.RecentMessageIds(1);
  const std::int64_t newest = recent.empty() ? 0 : recent[0];
  const std::int64_t first = newest - count + 1;
  for (std::int64_t id = first; id <= newest; ++id) {
    const unsigned roll = traffic.rng()() % 1000;
    if (roll < 40) {
      store.CloseMessage(id);
    } else if (roll < 55) {
      store.DeleteMessage(id);
    }
  }
  return true;
}

std::vector<DemoPublisher> LoadDemoPublishers(ServiceStore& store) {
  std::vector<DemoPublisher> out;
  for (int i = 1; i <= kPublishers; ++i) {
    if (auto found = store.FindLogin(PublisherName(i))) out.push_back(PublisherOf(found->first));
  }
  return out;
}

}  // namespace tv
