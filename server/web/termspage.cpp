// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
#include "web/termspage.h"

#include "web/pageshell.h"

#include <QFile>
#include <QXmlStreamReader>

#include <vector>

// Resources of a static library are registered by hand, from outside any
// namespace.
static void load_web_resources()
{
    Q_INIT_RESOURCE(web);
}

namespace {

// The text of the <string> inside the <property> the reader stands on.
QString property_string(QXmlStreamReader &reader)
{
    QString text;
    while (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("string"))
            text = reader.readElementText();
        else
            reader.skipCurrentElement();
    }
    return text;
}

} // namespace

Terms read_terms_form(QIODevice *form)
{
    Terms terms;
    QXmlStreamReader reader(form);
    // The names of the widgets the reader is inside, innermost last.
    std::vector<QString> widgets;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::EndElement && reader.name() == QLatin1String("widget")) {
            widgets.pop_back();
        } else if (token == QXmlStreamReader::StartElement) {
            if (reader.name() == QLatin1String("widget")) {
                widgets.push_back(reader.attributes().value(QLatin1String("name")).toString());
            } else if (reader.name() == QLatin1String("property") && !widgets.empty()) {
                const auto property = reader.attributes().value(QLatin1String("name"));
                const bool dialog = widgets.size() == 1;
                if (dialog && property == QLatin1String("windowTitle"))
                    terms.title = property_string(reader);
                else if (widgets.back() == QLatin1String("label") &&
                         property == QLatin1String("text"))
                    terms.text = property_string(reader);
            }
        }
    }
    return terms;
}

const Terms &game_terms()
{
    static const Terms terms = [] {
        load_web_resources();
        QFile form(QStringLiteral(":/web/licenseform.ui"));
        form.open(QIODevice::ReadOnly);
        return read_terms_form(&form);
    }();
    return terms;
}

Html terms_page(const Terms &terms)
{
    return page_shell(terms.title, Section::terms,
                      Html("<h1>") + html_text(terms.title) + "</h1>\n<p class=\"terms\">" +
                          html_text(terms.text) + "</p>\n");
}
