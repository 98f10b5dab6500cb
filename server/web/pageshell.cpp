// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "web/pageshell.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("PageShell", text);
}

Html nav_link(const char *href, const QString &text, bool current)
{
    return Html("<a") + attribute("href", QLatin1String(href)) +
           (current ? attribute("aria-current", QStringLiteral("page")) : Html()) + ">" +
           html_text(text) + "</a>";
}

} // namespace

Html page_shell(const QString &title, Section section, const Html &content)
{
    return Html("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                "<meta name=\"color-scheme\" content=\"light dark\">\n<title>") +
           html_text(title + QStringLiteral(" · QuiverBolt")) +
           "</title>\n<link rel=\"stylesheet\" href=\"../style.css\">\n"
           "<link rel=\"icon\" href=\"../favicon.svg\" type=\"image/svg+xml\">\n"
           "</head>\n<body>\n<header><span class=\"brand\">QuiverBolt</span><nav>" +
           nav_link("../rating/m", tr("Men"), section == Section::men) +
           nav_link("../rating/w", tr("Women"), section == Section::women) +
           nav_link("../terms/", tr("Terms"), section == Section::terms) +
           "</nav></header>\n<main>\n" + content + "</main>\n</body>\n</html>\n";
}

const char style_sheet[] = R"css(:root {
  color-scheme: light dark;
  --text: #1b1d21;
  --muted: #5b6270;
  --page: #ffffff;
  --band: #f1f3f6;
  --line: #d9dde3;
  --link: #0b57a4;
  --you: #fff1b8;
  --you-edge: #d9a400;
}
@media (prefers-color-scheme: dark) {
  :root {
    --text: #e6e8eb;
    --muted: #a3aab6;
    --page: #15171b;
    --band: #1f232a;
    --line: #353b45;
    --link: #a7d6ff;
    --you: #4a3b00;
    --you-edge: #f0c030;
  }
}
* { box-sizing: border-box; }
html { -webkit-text-size-adjust: 100%; text-size-adjust: 100%; }
body {
  margin: 0;
  background: var(--page);
  color: var(--text);
  font: 16px/1.45 "DejaVu Sans", "Liberation Sans", Arial, sans-serif;
}
a { color: var(--link); }
header {
  display: flex;
  flex-wrap: wrap;
  align-items: baseline;
  gap: 0.5rem 1.5rem;
  padding: 0.6rem 1rem;
  background: var(--band);
  border-bottom: 1px solid var(--line);
}
.brand { font-weight: bold; font-size: 1.2rem; }
header nav { display: flex; gap: 1rem; }
header nav a[aria-current] { font-weight: bold; text-decoration: none; color: var(--text); }
main { max-width: 60rem; margin: 0 auto; padding: 0.5rem 1rem 2rem; }
h1 { font-size: 1.5rem; margin: 0.6rem 0; overflow-wrap: anywhere; }
h1 .in { font-weight: normal; color: var(--muted); }
form.find { margin: 0.5rem 0 1rem; display: flex; flex-wrap: wrap; gap: 0.5rem; align-items: center; }
form.find input { font: inherit; width: 14rem; max-width: 100%; padding: 0.2rem 0.4rem; }
form.find button { font: inherit; padding: 0.2rem 0.8rem; }
table.rating { width: 100%; table-layout: fixed; border-collapse: collapse; }
table.rating th, table.rating td {
  padding: 0.35rem 0.5rem;
  border-bottom: 1px solid var(--line);
  text-align: left;
  vertical-align: top;
  overflow-wrap: anywhere;
}
table.rating th { color: var(--muted); font-weight: normal; font-size: 0.9rem; }
table.rating .place { width: 4.5rem; text-align: right; }
table.rating .best { width: 6rem; text-align: right; font-variant-numeric: tabular-nums; }
table.rating .when { width: 11.5rem; color: var(--muted); white-space: nowrap; }
table.rating tr.you td { background: var(--you); font-weight: bold; }
table.rating tr.you td:first-child { box-shadow: inset 4px 0 0 var(--you-edge); }
nav.pages { display: flex; justify-content: space-between; margin: 1rem 0; }
nav.pages a[rel="next"] { margin-left: auto; }
.terms { white-space: pre-wrap; overflow-wrap: anywhere; font-size: 1.05rem; }
@media (max-width: 40rem) {
  table.rating .when { display: none; }
  table.rating .place { width: 3.5rem; }
  table.rating .best { width: 5rem; }
}
)css";

const char favicon_svg[] =
    R"svg(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 32 32"><rect width="32" height="32" rx="6" fill="#0b57a4"/><path d="M18 3 7 18h7l-2 11 11-15h-7z" fill="#ffd23f"/></svg>
)svg";
