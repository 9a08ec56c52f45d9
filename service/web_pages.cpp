// The HTML pages: the two adverts, a member's messages and profile, and the
// pages of the service's web site that the client's menus open. All GBK with
// the charset declared, so the embedded browser shows them as written.
#include <string>
#include <string_view>

#include "core/gbk.h"
#include "service_pages.h"
#include "web_form.h"

namespace tv {
namespace {

struct SitePageInfo {
  const char* path;
  const char* title;  // UTF-8
  const char* text;   // UTF-8
};

constexpr SitePageInfo kSitePages[] = {
    {"/", "网站首页", "欢迎访问 Tarvolo 配货信息网：全国货源、车源信息实时发布，一站式物流服务。"},
    {"/reg_read.asp", "服务条款",
     "会员应如实填写注册资料并对发布的信息负责；禁止发布虚假、重复或违法信息；本站有权删除违规信息"
     "并停止违规会员的服务。"},
    {"/join/default.asp", "加盟注册",
     "诚招各地代理商，共享全国货运信息网络。请联系当地分站或客服中心。"},
    {"/hezuo/", "商务合作", "广告投放、数据接口与物流园区合作，欢迎来电洽谈。"},
    {"/mingpian/", "企业名片", "为物流企业免费制作网上名片，展示公司实力与专线线路。"},
    {"/bangzhu/", "帮助中心", "常见问题：如何发布信息、如何查看联系方式、如何循环重发。"},
    {"/huoyuan/", "货源", "最新货源信息。"},
    {"/cheyuan/", "车源", "最新车源信息。"},
    {"/zonghe/cangchu/", "仓储信息", "各地仓库出租、仓储配送服务信息。"},
    {"/zonghe/wuliuzhuanxian/", "物流专线", "全国各地物流专线一览，零担整车均可。"},
    {"/zonghe/huoyunshichang/", "货运市场", "各地货运市场地址与联系方式。"},
    {"/zonghe/wuliuyuanqu/", "物流园区", "全国物流园区分布与入驻信息。"},
    {"/zonghe/tingchechang/", "国内停车场", "长途货车停车场位置与收费标准。"},
    {"/zonghe/hyxx/gnhy/", "国内海运", "沿海内贸集装箱航线与船期。"},
    {"/zonghe/hyxx/gwhy/", "国外海运", "国际集装箱航线、船期与运价。"},
    {"/zonghe/chuanboxinxi/", "船舶信息", "船舶出租与求租信息。"},
    {"/zonghe/hyxx/gnhangyun/", "国内航运", "国内航空货运航班与运价。"},
    {"/zonghe/hyxx/gwhangyun/", "国外航运", "国际航空货运航班与运价。"},
    {"/zonghe/tieluky/", "铁路快运", "铁路行包快运与集装箱班列。"},
    {"/zonghe/gnsudi/", "国内速递", "国内快递公司网点与价格。"},
    {"/zonghe/gjsudi/", "国际速递", "国际快递服务与报关须知。"},
    {"/zonghe/wuliugongsi/", "物流公司", "物流公司名录，按地区查询。"},
    {"/zonghe/fenleixinxi/", "其他信息", "分类信息：二手设备、招聘求职、转让出租。"},
    {"/weizhanchaxun/", "违章查询", "输入车牌号与发动机号查询交通违章记录。"},
    {"/wannianli/", "万年历", "公历农历对照、节气与节假日。"},
    {"/tianqiyubao/", "天气预报", "全国主要城市及高速公路沿线天气。"},
    {"/ditu/", "电子地图", "城市地图与货运路线查询。"},
    {"/lichengchaxun/", "里程查询", "两地之间公路里程与途经路线。"},
    {"/jiemeng/", "周工解梦", "轻松一刻：解梦小工具。"},
    {"/wuliuxinwen/", "物流资讯", "行业新闻、政策法规与油价动态。"},
    {"/zonghefuwu/", "综合服务", "车辆年审、保险、加油卡等综合服务。"},
    {"/xiazai/", "软件下载", "下载最新版客户端与网络电话软件。"},
    {"/shoujipeihuo/", "手机配货", "用手机随时查看货源车源。"},
    {"/yunjia/", "运价", "各线路参考运价，每日更新。"},
    {"/cheliangku/", "车库", "会员车辆库：车型、车长、常跑线路。"},
    {"/huoyunzhuanxian/", "专线", "货运专线查询。"},
    {"/wuliuyuanqu/", "园区", "物流园区介绍。"},
    {"/peihuozhan/", "配货站", "各地配货站名录。"},
    {"/ershouche/", "二手车", "二手货车买卖信息。"},
    {"/huangye/", "黄页", "物流行业黄页。"},
    {"/peihuo/", "证件核查", "司机与车辆证件真伪核查服务。"},
    {"/GPSdingwei/", "GPS定位", "车辆GPS定位与轨迹回放。"},
    {"/cheguanjia/", "车管家", "车辆保养、年检提醒服务。"},
    {"/baoxian/jiaoqiangxian/", "交强险", "机动车交通事故责任强制保险办理。"},
    {"/baoxian/cheliangxian/", "车辆险", "货车商业保险在线投保。"},
    {"/baoxian/caichanxian/", "财产险", "企业财产保险。"},
    {"/baoxian/pianhuoxian/", "骗货险", "防止货物被骗的专项保险。"},
    {"/baoxian/huosunxian/", "货损险", "货物运输途中损失保险。"},
    {"/baoxian/yanglao/", "养老险", "个人养老保险。"},
    {"/baoxian/yiwai/", "意外险", "司机人身意外伤害保险。"},
    {"/jianzhan/", "自助建站", "几分钟建立企业网站。"},
    {"/kefu/", "客服中心", "客服热线 400-810-6688，每天 8:00-22:00。"},
    {"/chongzhi/", "充值中心", "会员续费与增值服务充值。"},
    {"/fenzhan/", "各地分站", "全国各地分站联系方式。"},
    {"/news/", "货运资讯", "货运行业资讯。"},
    {"/bbs/", "司机之家", "司机交流论坛。"},
};

// The service terms that the registration form links to, clause by clause.
constexpr const char* kTermsClauses[] = {
    "注册会员须提供真实、准确的姓名、单位和联系方式；资料变更时请及时联系客服更新。",
    "会员名和密码由会员自行保管；以会员名发布的一切信息由该会员负责。",
    "发布的货源、车源信息须真实有效；禁止发布虚假、重复、违法或与物流无关的信息。",
    "成交或失效的信息请及时标记或删除；本站有权删除违规信息并暂停违规会员的服务。",
    "信息中的运价、车况等由发布者提供，交易前请自行核实对方身份与资质。",
    "本站尊重会员隐私，不向第三方出售会员资料；依法配合有关部门的查询除外。",
    "普通会员查看联系方式可能需要等待；升级会员的办法请咨询客服热线 400-810-6688。",
};

// Byte by byte is safe for GBK: its trail bytes are never below 0x40.
std::string Escape(std::string_view gbk) { return HtmlEscape(gbk); }

// A whole page around a GBK body; the title is GBK too.
std::string Page(std::string_view gbk_title, std::string_view gbk_body) {
  std::string out = Utf8ToGbk(
      "<!DOCTYPE html>\n<html><head><meta charset=\"gbk\">"
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\"><title>");
  out.append(gbk_title);
  out += Utf8ToGbk(
      "</title><style>body{font-family:\"SimSun\",\"Noto Sans CJK SC\",sans-serif;"
      "font-size:13px;margin:8px;background:#f7fbff;color:#222}"
      "h1{font-size:18px;color:#0050a0}table{border-collapse:collapse;width:100%}"
      "td,th{border:1px solid #c6c3c6;padding:3px 5px;text-align:left;vertical-align:top}"
      "th{background:#d6dff7;white-space:nowrap}td.short{white-space:nowrap}"
      ".ad{border:1px solid #f0a000;background:#fff8e0;padding:6px}"
      "</style></head><body>\n");
  out.append(gbk_body);
  out += "\n</body></html>\n";
  return out;
}

std::string TypeWord(int type) {
  if (type == 0) return TV_TEXT("货源");
  if (type == 1) return TV_TEXT("车源");
  return TV_TEXT("信息");
}

std::string MessageTable(const std::vector<MessageRow>& rows) {
  std::string out = Utf8ToGbk(
      "<table><tr><th>时间</th><th>城市</th><th>类型</th><th>内容</th><th>状态</th></tr>\n");
  for (const auto& r : rows) {
    // The short columns keep their width; only the message itself wraps, so
    // a narrow window does not stack the headers a character a line.
    out += "<tr><td class=\"short\">" + Escape(r.time) + "</td><td class=\"short\">" +
           Escape(r.city) + "</td><td class=\"short\">" + TypeWord(r.type) + "</td><td>" +
           Escape(r.content) + "</td>";
    out += "<td class=\"short\">" + (r.deal == 1 ? TV_TEXT("已成交") : TV_TEXT("未成交")) +
           "</td></tr>\n";
  }
  out += "</table>";
  return out;
}

}  // namespace

Answer ServicePages::Advert1(const Query& q, std::string_view) {
  std::string city = q.Get("city");
  if (city.empty()) city = TV_TEXT("全国");
  MessageFilter f;
  if (city != TV_TEXT("全国")) f.cities = {city};
  const std::int64_t count = store_.CountMessages(f);
  std::string body = Utf8ToGbk("<div class=\"ad\"><b>【");
  body += Escape(city);
  body += Utf8ToGbk("】配货信息</b>：本地现有 ") + std::to_string(count) +
          Utf8ToGbk(" 条货源车源信息，实时更新。发布信息请点击“发布”按钮。</div>");
  return Html(Page(TV_TEXT("本地信息"), body));
}

Answer ServicePages::Advert2(const Query& q, std::string_view) {
  std::string city = q.Get("city");
  if (city.empty()) city = TV_TEXT("全国");
  std::string body = Utf8ToGbk("<div class=\"ad\"><b>");
  body += Escape(city);
  body += Utf8ToGbk("分站</b>：GPS定位、车辆保险、证件核查一站办理。客服热线 400-810-6688。</div>");
  return Html(Page(TV_TEXT("增值服务"), body));
}

Answer ServicePages::ShowMemberInfo(const Query& q, std::string_view) {
  auto id = ParseNumber(q.Get("userid"));
  if (!id) return BadRequest();
  auto m = store_.FindMember(*id);
  if (!m) {
    return Html(
        Page(TV_TEXT("发布用户信息"), Utf8ToGbk("<h1>发布用户信息</h1><p>没有找到该会员。</p>")));
  }
  auto row = [](const char* label, const std::string& value) {
    return Utf8ToGbk("<tr><th>") + Utf8ToGbk(label) + "</th><td>" + Escape(value) + "</td></tr>\n";
  };
  std::string body = Utf8ToGbk("<h1>发布用户信息</h1><table>\n");
  body += row("会员编号", std::to_string(m->id));
  body += row("公司名称", m->company);
  body += row("联系人", m->real_name);
  body += row("所在地", m->province + " " + m->city);
  body += row("联系电话", m->phone);
  body += row("手机", m->mobile);
  body += row("会员类型", m->member_status < 0 ? TV_TEXT("普通会员") : TV_TEXT("VIP会员"));
  body += "</table>";
  return Html(Page(TV_TEXT("发布用户信息"), body));
}

Answer ServicePages::SitePage(std::string_view path) {
  if (path == "/index.asp" || path == "/default.asp" || path.empty()) path = "/";
  for (const auto& p : kSitePages) {
    if (path != p.path) continue;
    const std::string title = Utf8ToGbk(p.title);
    std::string body = "<h1>" + title + "</h1><p>" + Utf8ToGbk(p.text) + "</p>\n";
    if (path == "/huoyuan/" || path == "/cheyuan/") {
      MessageFilter f;
      f.type = path == "/huoyuan/" ? 0 : 1;
      body += MessageTable(store_.PageMessages(f, 0, 30));
    }
    if (path == "/reg_read.asp") {
      body += "<ol>\n";
      for (const char* clause : kTermsClauses) body += "<li>" + Utf8ToGbk(clause) + "</li>\n";
      body += "</ol>";
    }
    if (path == "/") {
      body += "<ul>\n";
      for (const auto& link : kSitePages) {
        if (std::string_view(link.path) == "/") continue;
        body += std::string("<li><a href=\"") + link.path + "\">" + Utf8ToGbk(link.title) +
                "</a></li>\n";
      }
      body += "</ul>";
    }
    return Html(Page(title + " - Tarvolo", body));
  }
  return NotFound();
}

}  // namespace tv
