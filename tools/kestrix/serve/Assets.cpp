#include "Assets.h"

#include <cstring>

namespace kx::serve {

namespace {

const char* const kCss = R"CSS(
:root{--pass:#0a7a34;--fail:#c00000;--none:#6b6b6b;--conflict:#b85c00;--line:#d8d8de;--soft:#f3f3f7}
*{box-sizing:border-box}
[hidden]{display:none !important}
body{margin:0;font:14px/1.45 "Liberation Sans",Arial,Helvetica,sans-serif;color:#1a1a1a;background:#fff}
header{display:flex;gap:18px;align-items:center;padding:8px 20px;background:#1f2a44;color:#fff}
header a{color:#fff;text-decoration:none}
header .brand{font-weight:bold;font-size:17px}
header nav a{margin-right:14px}
header .search{margin-left:auto}
header .search input{width:220px}
main{padding:12px 20px 40px;max-width:1400px}
h1{font-size:22px;margin:10px 0}
h2{font-size:17px;margin:18px 0 8px}
h3{font-size:15px;margin:12px 0 4px}
a{color:#1d4fa8}
.note{color:#555}
.error{color:var(--fail)}
.totals{display:flex;flex-wrap:wrap;gap:10px;margin:8px 0 14px}
.total{display:flex;flex-direction:column;min-width:110px;padding:8px 12px;border:1px solid var(--line);
  border-radius:6px;text-decoration:none;color:#1a1a1a;background:var(--soft)}
.total .n{font-size:22px;font-weight:bold}
.total.pass .n,.total.passstar .n{color:var(--pass)}
.total.fail .n{color:var(--fail)}
.total.conflict .n{color:var(--conflict)}
.badge{display:inline-block;padding:0 7px;border-radius:3px;color:#fff;font-size:12px;font-weight:bold;
  vertical-align:middle;white-space:nowrap}
.badge.pass{background:var(--pass)}
.badge.passstar{background:#fff;color:var(--pass);border:1px solid var(--pass)}
.badge.fail{background:var(--fail)}
.badge.none{background:var(--none)}
.badge.conflict{background:var(--conflict)}
section.tester{border:1px solid var(--line);border-radius:6px;padding:4px 14px 10px;margin:10px 0;max-width:760px}
section.tester form{display:inline-block;margin-right:10px}
#import-progress progress{width:320px;vertical-align:middle}
.tree ul{list-style:none;padding-left:18px;margin:4px 0}
.tree li{margin:3px 0}
.tree .counts{color:#555;font-size:13px}
form.filters{display:flex;flex-wrap:wrap;gap:8px 14px;align-items:end;padding:10px;background:var(--soft);
  border:1px solid var(--line);border-radius:6px}
form.filters label{display:flex;flex-direction:column;font-size:12px;color:#444}
form.filters select{max-width:220px}
table.links{border-collapse:collapse;width:100%;margin-top:8px}
table.links th,table.links td{padding:3px 8px;border-bottom:1px solid var(--line);text-align:left;vertical-align:top}
table.links th{background:var(--soft);white-space:nowrap}
table.links th a{color:#1a1a1a;text-decoration:none}
table.links td.n,table.links td.num{text-align:right;white-space:nowrap}
table.links td.cable{word-break:break-word}
table.links tr.retest td{background:#fafafa;color:#555}
table.links tr.retest td.cable{padding-left:24px}
.mark{font-size:11px;color:#777;border:1px solid #bbb;border-radius:3px;padding:0 4px}
nav.pages{margin:10px 0}
nav.crumbs{color:#555;margin-top:6px}
h1.record .cable{word-break:break-word}
.when{color:#555;margin-top:-6px}
.badge.mark-badge{background:var(--conflict)}
table.links td.negative{color:var(--fail);font-weight:bold}
details.report-options{margin:4px 0 10px}
details.report-options form{display:flex;flex-wrap:wrap;gap:8px 14px;align-items:end;padding:8px 0}
details.report-options label{font-size:13px;color:#444}
.certificate{max-width:1000px;margin-top:14px}
.certificate dl{display:grid;gap:6px 14px;margin:8px 0 12px}
.certificate dl div{min-width:0}
.certificate dt{color:#666;font-size:12px}
.certificate dd{margin:0;overflow-wrap:anywhere}
.certificate table{border-collapse:collapse;width:100%;margin:10px 0;table-layout:fixed;font-size:13px}
.certificate caption{text-align:left;font-weight:bold;padding:4px 0}
.certificate td,.certificate th{padding:2px 5px;text-align:left;vertical-align:top;overflow-wrap:anywhere}
.certificate th{border-bottom:1px solid #555}
.certificate th.g{border-bottom:1px solid #ccc;text-align:center}
.certificate tbody tr:nth-child(even){background:var(--soft)}
.certificate .r{text-align:right}
.certificate .b{font-weight:bold}
.certificate .pass{color:var(--pass)}
.certificate .fail{color:var(--fail)}
.certificate .warn{color:#d97300}
.certificate .muted{color:#737373}
.certificate .note{font-size:13px}
.certificate .figs{display:grid;gap:8px;margin:10px 0}
.certificate .legend span{margin-right:12px;white-space:nowrap}
section.downloads{margin:4px 0 10px}
section.downloads a{margin-right:12px;white-space:nowrap}
section.retests ol{margin:4px 0}
figure.plot{margin:0;min-width:0}
figure.plot img{display:block;width:100%;height:auto;border:1px solid var(--line)}
.all-plots a{margin-left:8px;white-space:nowrap}
)CSS";

const char* const kJs = R"JS(// Live tester, import and reading state on the home page; the other pages need no script.
(function () {
  'use strict';
  var tester = document.getElementById('tester');
  var facts = document.getElementById('facts');
  if (!tester && !facts) return;
  var meta = document.querySelector('meta[name="kx-token"]');
  var token = meta ? meta.getAttribute('content') : '';
  var importsAtLoad = tester ? Number(tester.getAttribute('data-imports')) : 0;
  var timer = null;

  function byId(id) { return document.getElementById(id); }
  function setText(id, value) { var e = byId(id); if (e) e.textContent = value; }
  function show(id, on) { var e = byId(id); if (e) e.hidden = !on; }
  function schedule(ms) { clearTimeout(timer); timer = setTimeout(poll, ms); }

  function render(s) {
    if (facts) {
      if (s.factsKnown >= s.records) facts.hidden = true;
      else setText('facts', 'Reading records: ' + s.factsKnown + ' of ' + s.records +
                   ' (verdict conflicts, limits and testers so far)');
    }
    var conflicts = document.querySelector('.total.conflict .n');
    if (conflicts) conflicts.textContent = String(s.conflicts);
    if (!tester || !s.tester) return;
    setText('tester-line', s.tester.line);
    show('import-form', s.tester.attached);
    var running = s.import.state === 'running';
    var button = byId('import-button');
    if (button) button.disabled = running;
    show('import-progress', running);
    var bar = byId('import-bar');
    if (bar) {
      if (s.import.total > 0) { bar.max = s.import.total; bar.value = s.import.done; }
      else bar.removeAttribute('value');
    }
    setText('import-text', s.import.phase +
            (s.import.total > 0 ? ' (' + s.import.done + ' of ' + s.import.total + ')' : ''));
    if (s.import.imports > 0) {
      setText('import-outcome', 'Last import: ' + s.import.message);
      var out = byId('import-outcome');
      if (out) out.className = s.import.state === 'failed' ? 'error' : '';
    }
    // New records: show them in the tree and the totals.
    if (s.import.imports > importsAtLoad && !running) location.reload();
  }

  function poll() {
    fetch('/api/status', {cache: 'no-store'})
      .then(function (r) { return r.json(); })
      .then(function (s) {
        render(s);
        var busy = (s.import && s.import.state === 'running') || (s.tester && s.tester.probing) ||
                   s.factsKnown < s.records;
        schedule(busy ? 400 : 3000);
      })
      .catch(function () { schedule(5000); });
  }

  function postOnSubmit(id, url) {
    var form = byId(id);
    if (!form) return;
    form.addEventListener('submit', function (ev) {
      ev.preventDefault();
      fetch(url, {method: 'POST', cache: 'no-store',
                  headers: {'Content-Type': 'application/x-www-form-urlencoded', 'X-Kestrix-Fetch': '1'},
                  body: 'token=' + encodeURIComponent(token)})
        .then(function (r) { return r.json(); })
        .then(function (j) { if (!j.ok) setText('import-outcome', j.message); schedule(100); })
        .catch(function () { schedule(1000); });
    });
  }

  postOnSubmit('import-form', '/import');
  postOnSubmit('probe-form', '/probe');
  schedule(300);
})();
)JS";

const char* const kIcon =
    R"SVG(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 32 32"><rect width="32" height="32" rx="6" fill="#1f2a44"/><path d="M9 7h4v7.5L19.5 7H24l-7 8 7.5 10H20l-5.3-7.3L13 19.6V25H9z" fill="#fff"/></svg>)SVG";

}  // namespace

const Asset* findAsset(const std::string& path) {
    static const Asset css{"text/css; charset=utf-8", kCss};
    static const Asset js{"text/javascript; charset=utf-8", kJs};
    static const Asset icon{"image/svg+xml", kIcon};
    if (path == "/static/kestrix.css") return &css;
    if (path == "/static/kestrix.js") return &js;
    if (path == "/favicon.svg" || path == "/favicon.ico") return &icon;
    return nullptr;
}

}  // namespace kx::serve
