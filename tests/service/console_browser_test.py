#!/usr/bin/python3
"""The member page and the operator's console in a real browser.

Headless Chromium driven through WebDriver (Debian's chromium, chromium-driver
and python3-selenium) against a real tarvolo-service, with tarvolo-cli as the
members' client and a running "tarvolo-cli feed --follow" that must see the
withdrawn, deleted and closed messages at its next deletion/closure check.
Every page is saved as a screenshot at 1280x800 (the member page also at a
phone's width) under BUILD/test-artifacts/console/; /metrics is read with the
Prometheus text-format parser of python3-prometheus-client.

usage: console_browser_test.py BUILD_DIR
"""
import json
import os
import re
import sqlite3
import threading
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

from prometheus_client.parser import text_string_to_metric_families
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.support.ui import WebDriverWait

BUILD = os.path.abspath(sys.argv[1])
SERVICE = os.path.join(BUILD, "service", "tarvolo-service")
CLI = os.path.join(BUILD, "cli", "tarvolo-cli")
SHOTS = os.path.join(BUILD, "test-artifacts", "console")
OPERATOR, OPERATOR_PASSWORD = "ops", "Operator-Pass-7731"
WRONG_PASSWORD = "Wrong-Guess-5521"
# Clients check the deletion and closure logs every three minutes.
FOLLOW_DEADLINE = 240

failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)


def wait_for(predicate, seconds, step=0.1):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if predicate():
            return True
        time.sleep(step)
    return predicate()


work = tempfile.mkdtemp(prefix="tv-console-")
db = os.path.join(work, "service.db")
env = dict(os.environ, TARVOLO_SETTINGS=os.path.join(work, "settings.db"), NO_COLOR="1")
service_err = open(os.path.join(work, "service.err"), "w")
service = subprocess.Popen(
    [SERVICE, "--db", db, "--demo", "--demo-count", "200", "--approve",
     "--listen", "127.0.0.1:0", "--admin-listen", "127.0.0.1:0"],
    stdout=subprocess.PIPE, stderr=service_err, text=True)
lines = [service.stdout.readline(), service.stdout.readline()]
port = int(re.search(r"listening on .*:(\d+)", lines[0]).group(1))
console_port = int(re.search(r"console on .*:(\d+)", lines[1]).group(1))
PUBLIC = f"http://127.0.0.1:{port}"
CONSOLE = f"http://127.0.0.1:{console_port}"
env["TARVOLO_PORTAL_HOST"] = f"127.0.0.1:{port}"
env["TARVOLO_FALLBACK_HOST"] = f"127.0.0.1:{port}"
os.makedirs(SHOTS, exist_ok=True)


def cli(*args, check_ok=True):
    r = subprocess.run([CLI, *args], env=env, capture_output=True, text=True, timeout=60)
    if check_ok and r.returncode != 0:
        print(f"tarvolo-cli {' '.join(args)}: {r.returncode} {r.stdout} {r.stderr}")
    return r


def admin(*args, stdin=""):
    return subprocess.run([SERVICE, "admin", "--db", db, *args], input=stdin,
                          capture_output=True, text=True, timeout=60)


def published(user, password, text):
    r = cli("publish", "--user", user, "--password", password, text)
    return int(r.stdout.split("\t")[1]) if r.returncode == 0 else None


driver = None
follower = None
try:
    check(admin("add", OPERATOR, stdin=OPERATOR_PASSWORD + "\n").returncode == 0,
          "admin add makes an operator")

    # A running client that is not the publisher, polling for new messages
    # every second; it must hold the messages before they change.
    cli("settings", "set", "main", "RefreshTimertavrelomin", "1")
    follower = subprocess.Popen(
        [CLI, "feed", "--country", "--follow", "--json", "--user", "demo_member",
         "--password", "member123"], env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
        text=True)
    listed, events = set(), {}

    def read_follower():
        for line in follower.stdout:
            try:
                item = json.loads(line)
            except ValueError:
                continue
            if "event" in item:
                events[int(item["InfoID"])] = item["event"]
            elif "InfoID" in item:
                listed.add(int(item["InfoID"]))
    threading.Thread(target=read_follower, daemon=True).start()

    gone = published("demo_vip", "vip123", "浏览器测试：郑州到西安 钢材30吨 求13米平板")
    sold = published("demo_vip", "vip123", "浏览器测试：郑州到长沙 家具 求9.6米厢车")
    by_operator = published("demo_vip", "vip123", "浏览器测试：郑州到济南 化肥 <b>急</b>")
    check(None not in (gone, sold, by_operator), "tarvolo-cli publishes three messages")
    check(wait_for(lambda: {gone, sold, by_operator} <= listed, 60),
          "the running client lists the new messages")

    options = webdriver.ChromeOptions()
    for a in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1280,800",
              "--lang=zh-CN", "--disable-dev-shm-usage"):
        options.add_argument(a)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.set_window_size(1280, 800)

    def shot(name):
        driver.save_screenshot(os.path.join(SHOTS, name + ".png"))

    def text():
        return driver.find_element(By.TAG_NAME, "body").text

    def click(element):
        """Clicks a button or link and waits for the page it leads to."""
        old = driver.find_element(By.TAG_NAME, "html")
        element.click()

        def left(_):
            # This chromedriver reports a node of a replaced document as an
            # "inspector error" that this selenium does not call stale.
            try:
                old.is_enabled()
                return False
            except WebDriverException:
                return True
        WebDriverWait(driver, 10).until(left)
        WebDriverWait(driver, 10).until(
            lambda d: d.execute_script("return document.readyState") == "complete")

    def has_action_forms():
        return bool(driver.find_elements(By.CSS_SELECTOR, "input[name=token]"))

    def act_on_member_message(message_id, verb):
        block = driver.find_element(By.ID, f"m{message_id}")
        click(block.find_element(By.XPATH, f".//button[text()='{verb}']"))
        click(driver.find_element(By.XPATH, f"//button[text()='确认{verb}']"))

    # --- the member page ---
    page = f"{PUBLIC}/qavel/manager/myinfos.asp?userid=10001"
    driver.get(page)
    check("浏览器测试" in text() and not has_action_forms(), "anyone reads; no actions unsigned")
    check("<b>急</b>" in text(), "message text shown as text")
    shot("member_page_signed_out")
    driver.find_element(By.NAME, "password").send_keys("vip123")
    click(driver.find_element(By.XPATH, "//button[text()='登录后管理']"))
    check(has_action_forms(), "the member signed in gets actions")
    act_on_member_message(gone, "撤回")
    check("信息已撤回" in text(), "撤回 done")
    act_on_member_message(sold, "成交")
    check("已标为成交" in text(), "成交 done")
    shot("member_page_signed_in")
    driver.set_window_size(390, 844)
    driver.get(page)
    shot("member_page_phone")
    driver.set_window_size(1280, 800)
    driver.get(f"{PUBLIC}/qavel/manager/myinfos.asp?userid=10002")
    check(not has_action_forms() and "只能管理自己发布的信息" in text(),
          "another member's number: no actions")
    shot("member_page_other_member")

    # --- the console ---
    driver.get(CONSOLE + "/members")
    check(driver.current_url.endswith("/login"), "console without a session goes to sign-in")
    shot("console_sign_in")

    def sign_in(password):
        driver.get(CONSOLE + "/login")
        driver.find_element(By.NAME, "name").send_keys(OPERATOR)
        driver.find_element(By.NAME, "password").send_keys(password)
        click(driver.find_element(By.XPATH, "//button[text()='登录']"))

    sign_in(WRONG_PASSWORD)
    check("用户名或密码错误" in text(), "wrong password refused")
    shot("console_wrong_password")
    sign_in(OPERATOR_PASSWORD)
    check(driver.current_url.endswith("/health") and "运行状况" in text(), "signed in")

    # A member registered from tarvolo-cli under --approve, named <script>.
    r = cli("register", "--username", "newdriver", "--password", "road2024", "--confirm",
            "road2024", "--name", "<script>", "--province", "河南省", "--city", "郑州",
            "--town", "市区", "--area-code", "0371", "--phone", "66778899",
            "--company", "<i>车队</i>", check_ok=False)
    check(r.returncode == 0, "tarvolo-cli registers a member awaiting approval: " + r.stdout.strip())
    check(cli("login", "newdriver", "road2024", check_ok=False).returncode != 0 or
          "no-contact" in cli("login", "newdriver", "road2024", check_ok=False).stdout,
          "not approved yet: no full login")
    driver.get(CONSOLE + "/members?q=newdriver")
    source = driver.page_source
    check("<script>" in text() and "&lt;script&gt;" in source and "<i>车队</i>" in text(),
          "member texts escaped in the members table")
    shot("console_members")
    click(driver.find_element(By.LINK_TEXT, "newdriver"))
    click(driver.find_element(By.XPATH, "//button[text()='通过审核']"))
    shot("console_confirm")
    click(driver.find_element(By.XPATH, "//button[text()='确认']"))
    check("已保存" in text(), "approved")
    login = cli("login", "newdriver", "road2024", check_ok=False)
    check(login.returncode == 0 and "ordinary" in login.stdout, "the approved member logs in")

    # A daily quota of one; no wait between publications.
    for name, value in (("quota", "1"), ("publish_wait", "0")):
        field = driver.find_element(By.ID, name)
        field.clear()
        field.send_keys(value)
    click(driver.find_element(By.XPATH, "//button[text()='保存权限']"))
    check("改为" in text() and "quota=1" in text(), "rights change asks first, with before and after")
    click(driver.find_element(By.XPATH, "//button[text()='确认']"))
    shot("console_member")
    first = cli("publish", "--user", "newdriver", "--password", "road2024", "配额一", check_ok=False)
    second = cli("publish", "--user", "newdriver", "--password", "road2024", "配额二",
                 check_ok=False)
    check(first.returncode == 0 and second.returncode != 0,
          "the new quota holds: " + second.stderr.strip())

    # Messages: delete one; a form without its token changes nothing.
    driver.get(CONSOLE + "/messages?q=" + urllib.parse.quote("济南".encode("gbk")))
    shot("console_messages")
    row = driver.find_element(By.XPATH, f"//tr[td[1][text()='{by_operator}']]")
    driver.execute_script(
        "arguments[0].querySelector('input[name=token]').remove()",
        row.find_element(By.TAG_NAME, "form"))
    click(row.find_element(By.XPATH, ".//button[text()='删除']"))
    check("没有做任何修改" in text(), "a form without its token is refused")
    driver.get(CONSOLE + "/messages?q=" + urllib.parse.quote("济南".encode("gbk")))
    row = driver.find_element(By.XPATH, f"//tr[td[1][text()='{by_operator}']]")
    click(row.find_element(By.XPATH, ".//button[text()='删除']"))
    click(driver.find_element(By.XPATH, "//button[text()='确认']"))
    check("信息已删除" in text() and "各客户端每 3 分钟检查一次" in text(),
          "deleted, and the console says when clients see it")
    shot("console_deleted")

    # The metrics move with traffic.
    def metrics():
        body = urllib.request.urlopen(CONSOLE + "/metrics").read().decode()
        out = {}
        for family in text_string_to_metric_families(body):
            for s in family.samples:
                out[(s.name, tuple(sorted(s.labels.items())))] = s.value
        return out
    before = metrics()
    key = ("tarvolo_requests_total", (("page", "/qavel/client/GetInfo.asp"),))
    for _ in range(25):
        urllib.request.urlopen(PUBLIC + "/qavel/client/GetInfo.asp?action=GetInfoID&Msg_Flag=10001")
    after = metrics()
    check(after.get(key, 0) - before.get(key, 0) >= 25, "GetInfo.asp counter moved by 25")
    ok200 = ("tarvolo_responses_total", (("code", "200"),))
    check(after.get(ok200, 0) > before.get(ok200, 0), "status counter moved")
    check(("tarvolo_request_duration_seconds_count", ()) in after, "answer-time histogram parsed")
    driver.get(CONSOLE + "/health")
    check(driver.find_elements(By.TAG_NAME, "svg"), "health page draws inline SVG")
    shot("console_health")
    driver.get(CONSOLE + "/audit")
    check("approve" in text() and "delete-message" in text() and "rights" in text(),
          "audit log lists the actions")
    shot("console_audit")

    # Public port: no console.
    try:
        urllib.request.urlopen(PUBLIC + "/login")
        check(False, "console unreachable on the public port")
    except urllib.error.HTTPError as e:
        check(e.code == 404, "console unreachable on the public port")

    # A session past its idle time goes back to sign-in.
    with sqlite3.connect(db) as c:
        c.execute("UPDATE operator_sessions SET expires = 0")
    driver.get(CONSOLE + "/members")
    check(driver.current_url.endswith("/login"), "an expired session goes back to sign-in")

    # The running client drops and marks the rows at its next check.
    check(wait_for(lambda: all(i in events for i in (gone, sold, by_operator)), FOLLOW_DEADLINE, 1),
          f"feed --follow saw the changes: {events}")
    check(events.get(gone) == "deleted" and events.get(by_operator) == "deleted"
          and events.get(sold) == "closed", "withdrawn and deleted as deleted, 成交 as closed")
except Exception:
    if driver:
        driver.save_screenshot(os.path.join(SHOTS, "failure.png"))
        print("page at the failure: " + driver.current_url + "\n" +
              driver.find_element(By.TAG_NAME, "body").text[:2000])
    raise
finally:
    if driver:
        driver.quit()
    if follower:
        follower.terminate()
        follower.wait(10)
    service.terminate()
    service.wait(10)
    service_err.close()

log = open(os.path.join(work, "service.err")).read()
check(OPERATOR_PASSWORD not in log and WRONG_PASSWORD not in log and "sign-in" in log,
      "no password in the service's log")
print("screenshots in " + SHOTS)
if failures:
    print(f"{len(failures)} check(s) failed")
    sys.exit(1)
