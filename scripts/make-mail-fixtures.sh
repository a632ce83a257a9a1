#!/usr/bin/env bash
# Makes the saved web page and the e-mails under tests/fixtures/documents: the
# page by hand, in Windows-1252 as older shops' receipts are, and the e-mails
# with Python's standard e-mail package (the MIME writer of many mail tools),
# attaching the office and PDF fixtures that make-document-fixtures.sh made.
# Run once; the results are committed. The words planted in each place are
# the ones the tests look for.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out="$here/tests/fixtures/documents"

# A receipt saved from a web shop: its character set declared by http-equiv,
# words in entities, in the title, in table cells, and words a browser does
# not show (script, style, comment, noscript, template).
iconv -f UTF-8 -t WINDOWS-1252 >"$out/recu.html" <<'HTML'
<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN">
<html><head>
<meta http-equiv="Content-Type" content="text/html; charset=windows-1252">
<title>Récapitulatif de commande n°&nbsp;4521</title>
<style>.farfadet { color: red }</style>
<script type="text/javascript">var suivi = "zorglub"; if (a < b && c > d) {}</script>
</head>
<body>
<!-- gargouille : commentaire de l'outil -->
<noscript>Activez lutin pour continuer</noscript>
<template><p>chimère</p></template>
<h1>Merci pour votre commande</h1>
<p>Dessert : cr&egrave;me br&ucirc;l&eacute;e &amp; caf&eacute;, l&#146;été dernier</p>
<table><tr><td>Total</td><td>TTC</td><td>42,50&nbsp;€</td></tr>
<tr><td>Livraison<td>Hélène Fleuriot</table>
<div>fin</div><div>début</div>
<p>Retrait en<br>magasin</p>
<pre>Référence    QZ-7
  colis   suivi</pre>
</body></html>
HTML

seeds="$here/fuzz/search/seeds"
mkdir -p "$seeds/html" "$seeds/mail"
cp "$out/recu.html" "$seeds/html/"

python3 - "$out" "$seeds" <<'PY'
import sys
from email.message import EmailMessage
from email.policy import SMTP
from pathlib import Path

out = Path(sys.argv[1])
seeds = Path(sys.argv[2])

# A forwarded message, attached as message/rfc822.
forwarded = EmailMessage()
forwarded["Subject"] = "Avis d'échéance Gribouille"
forwarded["From"] = "Assurance Habitat <contact@assurance.example>"
forwarded["To"] = "agnes@example.fr"
forwarded["Date"] = "Mon, 02 Jan 2023 09:00:00 +0100"
forwarded.set_content("La prime annuelle Pimprenelle est due le 15 janvier.\n", charset="utf-8", cte="quoted-printable")

# An older message saved as a file and attached as such.
saved = EmailMessage()
saved["Subject"] = "Ancien courrier"
saved["From"] = "banque@example.fr"
saved.set_content("Votre coffre Tournesol est ouvert.\n", charset="utf-8", cte="8bit")

def courrier(documents):
    message = EmailMessage()
    message["Subject"] = "Relevé trimestriel – été 2023"
    message["From"] = "Agnès Dupont <agnes@example.fr>"
    message["To"] = "Bérénice Martin <berenice@example.fr>"
    message["Cc"] = "Comptabilité Lévêque <compta@example.fr>"
    message["Date"] = "Tue, 14 Mar 2023 10:30:00 +0100"
    # A long line: quoted-printable breaks it with soft line breaks, one inside
    # the word "remboursement".
    message.set_content(
        "Bonjour,\n\nVoici l'échéancier du prêt. " + "x" * 23 + " le remboursement anticipé est possible.\n",
        charset="utf-8", cte="quoted-printable")
    message.add_alternative(
        "<html><head><script>var z = 'zorglub';</script></head><body>"
        "<p>Confiture de <b>Marmelade</b> &agrave; l&#8217;orange</p></body></html>\n",
        subtype="html", charset="utf-8", cte="base64")
    message.make_mixed()
    latin = EmailMessage()
    latin.set_content("Hélicoptère de la société\n", charset="iso-8859-1", cte="base64")
    message.attach(latin)
    for name, main, sub in documents:
        data = (out / name).read_bytes()
        if main == "text":
            message.add_attachment(data.decode("utf-8"), subtype=sub, charset="utf-8", filename="NOTE.TXT")
        else:
            message.add_attachment(data, maintype=main, subtype=sub, filename=name)
    message.add_attachment(b"Chapiteau " * 20, maintype="application", subtype="octet-stream", filename="donnees.bin")
    message.add_attachment(forwarded)
    message.add_attachment(bytes(saved), maintype="application", subtype="octet-stream", filename="ancien.eml")
    # Fixed boundaries: the same file at every run.
    for number, part in enumerate(p for p in message.walk() if p.get_content_maintype() == "multipart"):
        part.set_boundary(f"=_limite_{number}")
    return message

documents = [("utf8.txt", "text", "plain"), ("lettre.doc", "application", "msword"),
             ("rapport.pdf", "application", "pdf"), ("comptes.xls", "application", "vnd.ms-excel")]
(out / "courrier.eml").write_bytes(courrier(documents).as_bytes(policy=SMTP))

# Fuzzing seeds: the same message without its larger attachments, and the
# hostile shapes, small.
(seeds / "mail" / "courrier.eml").write_bytes(courrier(documents[:1]).as_bytes(policy=SMTP))
deep = b"Subject: fond\n\nzorglub\n"
for level in range(70):
    deep = b"Content-Type: message/rfc822\n\n" + deep
(seeds / "mail" / "profond.eml").write_bytes(deep)
parts = b"Content-Type: multipart/mixed; boundary=b\n\n" + b"--b\n\nx\n" * 500 + b"--b--\n"
(seeds / "mail" / "parties.eml").write_bytes(parts)
(seeds / "mail" / "page.mht").write_bytes(
    b"From: <Saved by a browser>\nSubject: Bon de livraison\nMIME-Version: 1.0\n"
    b"Content-Type: multipart/related; type=\"text/html\"; boundary=\"b\"\n\n--b\n"
    b"Content-Type: text/html; charset=windows-1252\nContent-Transfer-Encoding: quoted-printable\n\n"
    b"<p>Bon de livrai=\nson n=B0 7</p>\n--b\nContent-Type: text/plain; format=flowed; delsp=yes\n\n"
    b"une phrase \ncoup\xe9e\n--b--\n")
html = seeds / "html"
(html / "profond.html").write_bytes(b"<div>" * 600 + b"fond")
(html / "koi8.html").write_bytes(
    b"<!-- <meta charset=utf-8> --><meta http-equiv='Content-Type' content='text/html; charset=KOI8-R'>"
    b"<title>\xf0\xd2\xc9\xd7\xc5\xd4</title><pre>a  b</pre><table><tr><td>c<td>d</table>")
(html / "utf16.html").write_bytes("\ufeff<p>caf\u00e9 &#150; &#x20AC; &bogus; &#0;</p>".encode("utf-16-le"))

PY
ls -l "$out/recu.html" "$out/courrier.eml" "$seeds"/html "$seeds"/mail
