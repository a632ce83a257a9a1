#include "app/example_book.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>

#include "book/book_file.h"
#include "book/file_io.h"
#include "book/tenorels.h"

namespace tavelo::gui {

namespace {

bool WriteText(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// RTF holds 7-bit text: other characters become \'xx (Windows-1252 range)
// or \uN with '?' for readers that skip it.
QByteArray Rtf(const QString& text)
{
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 ";
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\n')
            out += "\\par\n";
        else if (u == '\\' || u == '{' || u == '}')
            out += '\\' + QByteArray(1, static_cast<char>(u));
        else if (u < 0x80)
            out += static_cast<char>(u);
        else if (u < 0x100)
            out += QByteArray("\\'") + QByteArray::number(u, 16).rightJustified(2, '0');
        else
            out += "\\u" + QByteArray::number(static_cast<short>(u)) + '?';
    }
    return out + "\\par\n}\n";
}

bool WritePdf(const QString& path, const QStringList& lines)
{
    QPdfWriter writer(path);
    writer.setTitle(lines.value(0));
    writer.setCreator(QStringLiteral("Tavelo"));
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    QFont font = painter.font();
    font.setPointSize(12);
    painter.setFont(font);
    const int step = writer.height() / 40;
    int y = step * 3;
    for (const QString& line : lines) {
        painter.drawText(step * 2, y, line);
        y += step * 2;
    }
    return painter.end();
}

std::string Utf8(const QString& text)
{
    return text.toStdString();
}

} // namespace

QString ExampleBookFileName()
{
    return QCoreApplication::translate("Example", "Exemple.tvo");
}

QString ExampleFirstSubject()
{
    return QCoreApplication::translate("Example", "Bienvenue");
}

QString WriteExampleBook(const QString& folder)
{
    const QDir dir(folder);
    const QString readMe = dir.filePath(QCoreApplication::translate("Example", "Lisez-moi.txt"));
    const QString contract = dir.filePath(QCoreApplication::translate("Example", "Contrat EDF.txt"));
    const QString bill = dir.filePath(QCoreApplication::translate("Example", "Facture EDF mars.html"));
    const QString notice = dir.filePath(QCoreApplication::translate("Example", "Avis d'impôt 2024.pdf"));
    const QString declaration = dir.filePath(QCoreApplication::translate("Example", "Déclaration 2025.txt"));
    const QString insurance = dir.filePath(QCoreApplication::translate("Example", "Attestation assurance.rtf"));

    bool ok = WriteText(readMe, QCoreApplication::translate("Example", "Ce livre d'exemple montre Tavelo avec quelques sujets.\n\n"
                                  "Chaque sujet est rangé sous un titre général (Tavelo, EDF, Impôts, Logement). "
                                  "Un sujet vert est clôturé, un sujet rouge est en cours.\n"
                                  "Cliquez sur un sujet : l'aperçu montre ce qui est attendu, la liste en "
                                  "dessous ses documents. Double-cliquez sur un document pour l'afficher.\n")
                                    .toUtf8());
    ok = WriteText(contract, QCoreApplication::translate("Example", "Contrat d'électricité - maison\n\n"
                               "Titulaire : Ana Martin\nPuissance : 6 kVA\n"
                               "Numéro du compteur : 0923 4471 0086\n"
                               "Relevé du compteur : chaque trimestre, en ligne ou par téléphone.\n")
                                 .toUtf8()) &&
         ok;
    ok = WriteText(bill, QCoreApplication::translate("Example", "<html><body><h2>Facture d'électricité - mars</h2>"
                           "<table border=\"1\" cellpadding=\"4\">"
                           "<tr><td>Consommation</td><td>412 kWh</td></tr>"
                           "<tr><td>Abonnement</td><td>15,20 €</td></tr>"
                           "<tr><td><b>Total</b></td><td><b>98,75 €</b></td></tr>"
                           "</table><p>Index du compteur relevé le 28 mars.</p></body></html>")
                             .toUtf8()) &&
         ok;
    ok = WritePdf(notice, {QCoreApplication::translate("Example", "Avis d'impôt sur les revenus 2024"), QCoreApplication::translate("Example", "Foyer fiscal : Ana Martin"),
                           QCoreApplication::translate("Example", "Revenu fiscal de référence : 31 240 €"), QCoreApplication::translate("Example", "Montant de l'impôt : 1 874 €"),
                           QCoreApplication::translate("Example", "Prélevé à la source : 1 874 €"), QCoreApplication::translate("Example", "Reste à payer : 0 €")}) &&
         ok;
    ok = WriteText(declaration, QCoreApplication::translate("Example", "Déclaration des revenus 2025\n\nDéposée en ligne le 22 mai.\n"
                                  "Accusé de réception numéro 2025-118-0044.\n")
                                    .toUtf8()) &&
         ok;
    ok = WriteText(insurance, Rtf(QCoreApplication::translate("Example", "Attestation d'assurance habitation\n"
                                    "Contrat multirisque habitation en cours de validité jusqu'au 31 décembre.\n"
                                    "Adresse assurée : 12 rue des Lilas.")))
         && ok;
    if (!ok)
        return {};

    struct Entry {
        QString title;
        QString name;
        int state;
        QString expected;
        QStringList documents;
    };
    const QString crlf = QStringLiteral("\r\n");
    const std::vector<Entry> entries = {
        {QCoreApplication::translate("Example", "Tavelo"), ExampleFirstSubject(), 0,
         QCoreApplication::translate("Example", "Voici un livre d'exemple. À gauche, l'arbre des sujets ; ici, l'aperçu de ce qui est attendu pour "
           "clôturer le sujet ; en bas, les documents du sujet.") +
             crlf + crlf +
             QCoreApplication::translate("Example", "Essayez « Edition > Rechercher un sujet » avec le mot « compteur » : la recherche le trouve dans "
               "les attendus et dans le contenu des documents."),
         {readMe}},
        {QCoreApplication::translate("Example", "EDF"), QCoreApplication::translate("Example", "Contrat maison"), 0, QCoreApplication::translate("Example", "Relevé du compteur à envoyer avant la fin du mois"), {contract, bill}},
        {QCoreApplication::translate("Example", "Impôts"), QCoreApplication::translate("Example", "2024"), 1, QString(), {notice}},
        {QCoreApplication::translate("Example", "Impôts"), QCoreApplication::translate("Example", "2025"), 0, QCoreApplication::translate("Example", "Avis d'imposition attendu en septembre"), {declaration}},
        {QCoreApplication::translate("Example", "Logement"), QCoreApplication::translate("Example", "Assurance habitation"), 0, QCoreApplication::translate("Example", "Attestation de l'an prochain à recevoir"), {insurance}},
    };
    SubjectList subjects;
    for (const Entry& entry : entries) {
        auto record = std::make_unique<CTenorels>(Utf8(entry.title), Utf8(entry.name), entry.state);
        record->SetExpectedText(Utf8(entry.expected));
        for (const QString& document : entry.documents)
            record->AddDocumentPath(Utf8(document));
        subjects.push_back(std::move(record));
    }
    const QString book = dir.filePath(ExampleBookFileName());
    try {
        WriteNewFile(Utf8(book), WriteSubjectList(subjects), true);
    } catch (const std::exception&) {
        return {};
    }
    return book;
}

} // namespace tavelo::gui
