#!/usr/bin/env python3
"""formhost serve in a real browser (headless chromium through selenium).

An operator signs in on a fresh demo database, opens the item list from the
menu, changes a label in its editor, deletes a row and saves; in the split
editor he sorts by clicking a header and answers the delete question (Esc
first, then Yes). The database is checked afterwards with the sqlite3 shell.

    browser_test.py FORMHOST [--screenshot FILE.png]

Exits 77 (ctest: skipped) only when chromium, chromedriver or selenium is
missing; scripts/setup-debian.sh installs them.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

SKIPPED = 77


def need(what, found):
    if not found:
        print(f"SKIPPED: {what} is not installed (scripts/setup-debian.sh installs it)")
        sys.exit(SKIPPED)


def main():
    formhost = sys.argv[1]
    screenshot = sys.argv[sys.argv.index("--screenshot") + 1] if "--screenshot" in sys.argv else None
    need("chromium", shutil.which("chromium"))
    need("chromium-driver", shutil.which("chromedriver"))
    try:
        from selenium import webdriver  # noqa: F401
    except ImportError:
        need("python3-selenium", False)

    scratch = tempfile.mkdtemp(prefix="zr016-browser-")
    db = os.path.join(scratch, "zr016.db")
    init = subprocess.run([formhost, "init-db", "--db", "sqlite:" + db, "--demo"],
                          capture_output=True, text=True, check=True).stdout
    password = re.search(r"demo operator: demo\s+password: (\S+)", init).group(1)
    server = subprocess.Popen([formhost, "serve", "--db", "sqlite:" + db, "--listen", "127.0.0.1:0"],
                              stdout=subprocess.PIPE, text=True)
    try:
        line = server.stdout.readline()
        url = re.search(r"(http://\S+/)", line)
        assert url, f"the server did not say where it listens: {line!r}"
        work(url.group(1), password, screenshot)
        check_database(db)
    finally:
        server.terminate()
        server.wait(timeout=20)
        shutil.rmtree(scratch, ignore_errors=True)
    assert server.returncode == 0, f"the server ended with {server.returncode}"
    print("browser test: passed")


def sql(db, query):
    return subprocess.run(["sqlite3", db, query], capture_output=True, text=True,
                          check=True).stdout.strip()


def check_database(db):
    assert sql(db, "select f3bz02 from zr_016910 where f3jbid = 2") == "长袖衬衫"
    assert sql(db, "select count(*) from zr_016910") == "7"
    assert sql(db, "select count(*) from zr_016910 where f3jbid = 5") == "0"


def work(url, password, screenshot):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import WebDriverWait

    options = webdriver.ChromeOptions()
    for a in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage", "--disable-gpu",
              "--window-size=1280,800", "--lang=zh-CN"):
        options.add_argument(a)
    options.binary_location = shutil.which("chromium")
    driver = webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)
    wait = WebDriverWait(driver, 20)

    def css(selector):
        return driver.find_element(By.CSS_SELECTOR, selector)

    def all_of(selector):
        return driver.find_elements(By.CSS_SELECTOR, selector)

    def settled(condition, what):
        # The page is idle (no action under way) and shows what was asked.
        def ready(_):
            busy = all_of("#busy")
            return (not busy or not busy[0].is_displayed()) and condition()
        wait.until(ready, what)

    def rows(window, dw):
        return all_of(f'.window[data-window="{window}"] .datawindow[data-dw="{dw}"] tbody tr')

    def column(window, dw, name):
        cells = []
        heads = [th.get_attribute("data-column") for th in
                 all_of(f'.window[data-window="{window}"] .datawindow[data-dw="{dw}"] th')]
        i = heads.index(name)
        for tr in rows(window, dw):
            td = tr.find_elements(By.TAG_NAME, "td")[i]
            inputs = td.find_elements(By.TAG_NAME, "input")
            cells.append(inputs[0].get_attribute("value") if inputs else td.text)
        return cells

    def cell(window, dw, row, name):
        heads = [th.get_attribute("data-column") for th in
                 all_of(f'.window[data-window="{window}"] .datawindow[data-dw="{dw}"] th')]
        return rows(window, dw)[row - 1].find_elements(By.TAG_NAME, "td")[heads.index(name)]

    def menu(top, item):
        css(f'#menubar [data-menu="{top}"]').click()
        css(f'#menubar [data-menu="{item}"]').click()

    try:
        driver.get(url)
        settled(lambda: css("#signin-name").is_displayed(), "the sign-in page")
        css("#signin-name").send_keys("demo")
        css("#signin-password").send_keys("wrong")
        css("#signin-button").click()
        settled(lambda: "wrong" in css("#signin-error").text, "a wrong password refused")
        # Failed sign-ins are slowed down: wait out the lock of this name.
        time.sleep(2.5)
        css("#signin-password").clear()
        css("#signin-password").send_keys(password)
        css("#signin-button").click()
        settled(lambda: css("#app").is_displayed(), "the desk after signing in")

        # The item list from the menu.
        menu("m_windows", "w_01691")
        settled(lambda: len(rows("w_01691", "dw_items")) == 8, "the item list with 8 labels")
        if screenshot:
            driver.save_screenshot(screenshot)

        # A label's name, changed in its editor (Enter on the row opens it).
        cell("w_01691", "dw_items", 2, "zr_016910_f3jbid").click()
        settled(lambda: "current" in rows("w_01691", "dw_items")[1].get_attribute("class"),
                "row 2 current")
        cell("w_01691", "dw_items", 2, "zr_016910_f3jbid").find_element(
            By.TAG_NAME, "input").send_keys(Keys.ENTER)
        settled(lambda: all_of('.window[data-window="w_01691_edit"] input'), "the label editor")
        field = css('input[data-key="w_01691_edit/dw_maint/1/f3bz02"]')
        field.send_keys(Keys.CONTROL, "a")
        field.send_keys("长袖衬衫")
        # OK by its accelerator, Alt+O, while the name is still being typed.
        ActionChains(driver).key_down(Keys.ALT).send_keys("o").key_up(Keys.ALT).perform()
        settled(lambda: not all_of('.window[data-window="w_01691_edit"]') and
                column("w_01691", "dw_items", "zr_016910_f3bz02")[1] == "长袖衬衫",
                "the changed name in the list")

        # Label 5 deleted from the menu (answering a question if one is asked), then saved.
        cell("w_01691", "dw_items", 5, "zr_016910_f3jbid").click()
        settled(lambda: "current" in rows("w_01691", "dw_items")[4].get_attribute("class"),
                "row 5 current")
        css('#menubar [data-menu="m_delete"]').click()
        settled(lambda: len(rows("w_01691", "dw_items")) == 7 or all_of(".messagebox"),
                "the row gone or a question")
        if all_of(".messagebox"):
            css('.messagebox [data-answer="Yes"]').click()
        settled(lambda: len(rows("w_01691", "dw_items")) == 7, "7 labels left")
        assert "5" not in column("w_01691", "dw_items", "zr_016910_f3jbid")
        css('#menubar [data-menu="m_save"]').click()
        settled(lambda: not all_of(".messagebox"), "saved")
        assert "refused" not in css("#status").get_attribute("class"), css("#status").text

        # The split editor: sorting by a header, and the delete question.
        menu("m_windows", "m_open_w_01652")
        settled(lambda: len(rows("w_01652", "dw_items")) == 2, "the splits list")
        rows("w_01652", "dw_items")[1].find_elements(By.TAG_NAME, "td")[1].click()
        settled(lambda: "current" in rows("w_01652", "dw_items")[1].get_attribute("class"),
                "row 2 current")
        rows("w_01652", "dw_items")[1].find_elements(By.TAG_NAME, "input")[0].send_keys(Keys.ENTER)
        settled(lambda: len(rows("w_01652_edit", "dw_ddyy")) == 2, "the split editor")
        header = f'.window[data-window="w_01652_edit"] .datawindow[data-dw="dw_ddyy"] th[data-column="cdadid"]'
        css(header).click()
        settled(lambda: column("w_01652_edit", "dw_ddyy", "cdadid") ==
                sorted(column("w_01652_edit", "dw_ddyy", "cdadid")), "sorted up")
        css(header).click()
        settled(lambda: column("w_01652_edit", "dw_ddyy", "cdadid") ==
                sorted(column("w_01652_edit", "dw_ddyy", "cdadid"), reverse=True), "sorted down")
        # Split A (now the last row) may go, after the question.
        ids = column("w_01652_edit", "dw_ddyy", "cdadid")
        a_row = next(i for i, v in enumerate(ids) if v.endswith("A")) + 1
        cell("w_01652_edit", "dw_ddyy", a_row, "cdadid").click()
        settled(lambda: "current" in rows("w_01652_edit", "dw_ddyy")[a_row - 1].get_attribute("class"),
                "split A current")
        css('.window[data-window="w_01652_edit"] [data-accel="cb_5"]').click()
        settled(lambda: all_of(".messagebox"), "the delete question")
        assert css(".messagebox .title").text == "删除项目"
        assert css(".messagebox .icon").get_attribute("data-icon") == "question"
        # The default button is No, and Esc answers No.
        assert driver.switch_to.active_element.get_attribute("data-answer") == "No"
        driver.switch_to.active_element.send_keys(Keys.ESCAPE)
        settled(lambda: not all_of(".messagebox"), "the question answered No")
        assert len(rows("w_01652_edit", "dw_ddyy")) == 2
        css('.window[data-window="w_01652_edit"] [data-accel="cb_5"]').click()
        settled(lambda: all_of(".messagebox"), "the question again")
        css('.messagebox [data-answer="Yes"]').click()
        settled(lambda: len(rows("w_01652_edit", "dw_ddyy")) == 1, "split A deleted")
        assert column("w_01652_edit", "dw_ddyy", "cdadid")[0].endswith("B")

        # Signing out returns to the sign-in page.
        driver.switch_to.active_element.send_keys(Keys.ESCAPE)
        css('.window[data-window="w_01652_edit"] .titlebar .close').click()
        settled(lambda: not all_of('.window[data-window="w_01652_edit"]'), "the editor closed")
        # A tab control's pages: a click on a page's tab brings it to the front.
        menu("m_windows", "m_open_w_01610")
        settled(lambda: len(all_of('.window[data-window="w_01610"] .tabstrip button')) >= 2,
                "the breakdown with its tab pages")
        tabs = all_of('.window[data-window="w_01610"] .tabstrip button')
        assert "selected" in tabs[0].get_attribute("class")
        assert all_of('.window[data-window="w_01610"] .tabpage .datawindow')
        # Tab outside a grid's cells: the session moves its focus in tab
        # order, and the page's focus follows to that control.
        driver.execute_script("document.activeElement.blur()")
        before = driver.execute_script("return state.version")
        ActionChains(driver).send_keys(Keys.TAB).perform()
        settled(lambda: driver.execute_script("return state.version") > before, "Tab sent")
        focus = driver.execute_script("return activeWindow().focus")
        assert focus, "the session gave no control the focus"
        settled(lambda: driver.execute_script(
            "const a = document.activeElement;"
            "return !!a.closest('[data-window=\"w_01610\"]') && a !== document.body"),
            f"the page's focus on {focus}")
        tabs = all_of('.window[data-window="w_01610"] .tabstrip button')
        tabs[1].click()
        settled(lambda: "selected" in all_of('.window[data-window="w_01610"] .tabstrip button')[1]
                .get_attribute("class"), "the second page in front")
        # The staff list: its split bar dragged, the window resized; the session moves them.
        menu("m_windows", "m_open_w_01602")
        bar = '.window[data-window="w_01602"] .ctl.splitbar[data-control="st_1"]'
        settled(lambda: all_of(bar), "the staff list with its split bar")
        before = css(bar).location["x"]
        ActionChains(driver).drag_and_drop_by_offset(css(bar), 40, 0).perform()
        settled(lambda: css(bar).location["x"] >= before + 30, "the bar moved")
        body = '.window[data-window="w_01602"] > .body'
        width = css(body).size["width"]
        grip = css('.window[data-window="w_01602"] > .resizer')
        ActionChains(driver).drag_and_drop_by_offset(grip, -120, -60).perform()
        settled(lambda: abs(css(body).size["width"] - (width - 120)) <= 2, "the window resized")
        css("#signout").click()
        settled(lambda: css("#signin").is_displayed(), "signed out")
        severe = [e for e in driver.get_log("browser") if e["level"] == "SEVERE"
                  and "/api/" not in e["message"] and "favicon" not in e["message"]]
        assert not severe, severe
    except Exception:
        path = os.path.join(tempfile.gettempdir(), "zr016-browser-failure.png")
        driver.save_screenshot(path)
        print(f"browser test: failed; the page as it was: {path}", file=sys.stderr)
        print(css("#status").text, file=sys.stderr)
        raise
    finally:
        driver.quit()


if __name__ == "__main__":
    main()
