<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Example</name>
    <message>
        <source>Bienvenue</source>
        <translation>Welcome</translation>
    </message>
    <message>
        <source>Lisez-moi.txt</source>
        <translation>Read me.txt</translation>
    </message>
    <message>
        <source>Contrat EDF.txt</source>
        <translation>Electricity contract.txt</translation>
    </message>
    <message>
        <source>Facture EDF mars.html</source>
        <translation>Electricity bill March.html</translation>
    </message>
    <message>
        <source>Avis d&apos;impôt 2024.pdf</source>
        <translation>Tax notice 2024.pdf</translation>
    </message>
    <message>
        <source>Déclaration 2025.txt</source>
        <translation>Tax return 2025.txt</translation>
    </message>
    <message>
        <source>Attestation assurance.rtf</source>
        <translation>Insurance certificate.rtf</translation>
    </message>
    <message>
        <source>Ce livre d&apos;exemple montre Tavelo avec quelques sujets.

Chaque sujet est rangé sous un titre général (Tavelo, EDF, Impôts, Logement). Un sujet vert est clôturé, un sujet rouge est en cours.
Cliquez sur un sujet : l&apos;aperçu montre ce qui est attendu, la liste en dessous ses documents. Double-cliquez sur un document pour l&apos;afficher.
</source>
        <translation>This example book shows Tavelo with a few subjects.

Each subject is filed under a general title (Tavelo, Electricity, Taxes, Home). A green subject is closed, a red subject is open.
Click a subject: the preview shows what is expected, the list below it its documents. Double-click a document to show it.
</translation>
    </message>
    <message>
        <source>Contrat d&apos;électricité - maison

Titulaire : Ana Martin
Puissance : 6 kVA
Numéro du compteur : 0923 4471 0086
Relevé du compteur : chaque trimestre, en ligne ou par téléphone.
</source>
        <translation>Electricity contract - house

Holder: Ana Martin
Power: 6 kVA
Meter number: 0923 4471 0086
Meter reading: every quarter, online or by telephone.
</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;body&gt;&lt;h2&gt;Facture d&apos;électricité - mars&lt;/h2&gt;&lt;table border=&quot;1&quot; cellpadding=&quot;4&quot;&gt;&lt;tr&gt;&lt;td&gt;Consommation&lt;/td&gt;&lt;td&gt;412 kWh&lt;/td&gt;&lt;/tr&gt;&lt;tr&gt;&lt;td&gt;Abonnement&lt;/td&gt;&lt;td&gt;15,20 €&lt;/td&gt;&lt;/tr&gt;&lt;tr&gt;&lt;td&gt;&lt;b&gt;Total&lt;/b&gt;&lt;/td&gt;&lt;td&gt;&lt;b&gt;98,75 €&lt;/b&gt;&lt;/td&gt;&lt;/tr&gt;&lt;/table&gt;&lt;p&gt;Index du compteur relevé le 28 mars.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;body&gt;&lt;h2&gt;Electricity bill - March&lt;/h2&gt;&lt;table border=&quot;1&quot; cellpadding=&quot;4&quot;&gt;&lt;tr&gt;&lt;td&gt;Consumption&lt;/td&gt;&lt;td&gt;412 kWh&lt;/td&gt;&lt;/tr&gt;&lt;tr&gt;&lt;td&gt;Standing charge&lt;/td&gt;&lt;td&gt;€15.20&lt;/td&gt;&lt;/tr&gt;&lt;tr&gt;&lt;td&gt;&lt;b&gt;Total&lt;/b&gt;&lt;/td&gt;&lt;td&gt;&lt;b&gt;€98.75&lt;/b&gt;&lt;/td&gt;&lt;/tr&gt;&lt;/table&gt;&lt;p&gt;Meter read on 28 March.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Avis d&apos;impôt sur les revenus 2024</source>
        <translation>Income tax notice 2024</translation>
    </message>
    <message>
        <source>Foyer fiscal : Ana Martin</source>
        <translation>Tax household: Ana Martin</translation>
    </message>
    <message>
        <source>Revenu fiscal de référence : 31 240 €</source>
        <translation>Reference taxable income: €31,240</translation>
    </message>
    <message>
        <source>Montant de l&apos;impôt : 1 874 €</source>
        <translation>Tax due: €1,874</translation>
    </message>
    <message>
        <source>Prélevé à la source : 1 874 €</source>
        <translation>Withheld at source: €1,874</translation>
    </message>
    <message>
        <source>Reste à payer : 0 €</source>
        <translation>Left to pay: €0</translation>
    </message>
    <message>
        <source>Déclaration des revenus 2025

Déposée en ligne le 22 mai.
Accusé de réception numéro 2025-118-0044.
</source>
        <translation>Tax return 2025

Filed online on 22 May.
Acknowledgement number 2025-118-0044.
</translation>
    </message>
    <message>
        <source>Attestation d&apos;assurance habitation
Contrat multirisque habitation en cours de validité jusqu&apos;au 31 décembre.
Adresse assurée : 12 rue des Lilas.</source>
        <translation>Home insurance certificate
Comprehensive home insurance valid until 31 December.
Insured address: 12 rue des Lilas.</translation>
    </message>
    <message>
        <source>Tavelo</source>
        <translation>Tavelo</translation>
    </message>
    <message>
        <source>Voici un livre d&apos;exemple. À gauche, l&apos;arbre des sujets ; ici, l&apos;aperçu de ce qui est attendu pour clôturer le sujet ; en bas, les documents du sujet.</source>
        <translation>This is an example book. On the left, the tree of subjects; here, the preview of what is expected before the subject can be closed; below, the documents of the subject.</translation>
    </message>
    <message>
        <source>Essayez « Edition &gt; Rechercher un sujet » avec le mot « compteur » : la recherche le trouve dans les attendus et dans le contenu des documents.</source>
        <translation>Try &quot;Edit &gt; Find a subject&quot; with the word &quot;meter&quot;: the search finds it in the expected texts and inside the documents.</translation>
    </message>
    <message>
        <source>EDF</source>
        <translation>Electricity</translation>
    </message>
    <message>
        <source>Contrat maison</source>
        <translation>House contract</translation>
    </message>
    <message>
        <source>Relevé du compteur à envoyer avant la fin du mois</source>
        <translation>Meter reading to send before the end of the month</translation>
    </message>
    <message>
        <source>Impôts</source>
        <translation>Taxes</translation>
    </message>
    <message>
        <source>2024</source>
        <translation>2024</translation>
    </message>
    <message>
        <source>2025</source>
        <translation>2025</translation>
    </message>
    <message>
        <source>Avis d&apos;imposition attendu en septembre</source>
        <translation>Tax notice expected in September</translation>
    </message>
    <message>
        <source>Logement</source>
        <translation>Home</translation>
    </message>
    <message>
        <source>Assurance habitation</source>
        <translation>Home insurance</translation>
    </message>
    <message>
        <source>Attestation de l&apos;an prochain à recevoir</source>
        <translation>Next year&apos;s certificate to come</translation>
    </message>
    <message>
        <source>Exemple.tvo</source>
        <translation>Example.tvo</translation>
    </message>
</context>
<context>
    <name>Manual</name>
    <message>
        <source>Usage :</source>
        <translation>Usage:</translation>
    </message>
    <message>
        <source>Commandes utilisateur</source>
        <translation>User Commands</translation>
    </message>
    <message>
        <source>NOM</source>
        <translation>NAME</translation>
    </message>
    <message>
        <source>SYNOPSIS</source>
        <translation>SYNOPSIS</translation>
    </message>
</context>
<context>
    <name>Manual tavelo</name>
    <message>
        <source>registre des papiers personnels classés par sujet</source>
        <translation>register of personal paperwork kept by subject</translation>
    </message>
    <message>
        <source>[LIVRE.tvo]</source>
        <translation>[BOOK.tvo]</translation>
    </message>
    <message>
        <source>--exemple</source>
        <translation>--exemple</translation>
    </message>
    <message>
        <source>--help | --version</source>
        <translation>--help | --version</translation>
    </message>
    <message>
        <source>DESCRIPTION</source>
        <translation>DESCRIPTION</translation>
    </message>
    <message>
        <source>Tavelo range les papiers personnels par sujet : chaque facture, avis d&apos;impôt ou courrier d&apos;une même affaire est rangé sous un sujet, les sujets sont groupés sous des titres généraux, marqués ouverts ou clos, avec ce qui est encore attendu et les chemins des documents. Un registre est un livre, un fichier .tvo.</source>
        <translation>Tavelo files personal paperwork by subject: every bill, tax notice or letter about one matter goes under a subject; subjects are grouped under general titles, marked open or closed, with what is still expected and the paths of their documents. A register is a book, one .tvo file.</translation>
    </message>
    <message>
        <source>Sans argument, Tavelo ouvre un livre vide. Avec le chemin d&apos;un livre, il l&apos;ouvre ; s&apos;il ne peut pas être ouvert, un message l&apos;explique et le programme s&apos;arrête. Chaque livre s&apos;affiche en trois volets : l&apos;arbre des sujets, l&apos;aperçu et la liste des documents.</source>
        <translation>Without an argument, Tavelo opens an empty book. Given the path of a book, it opens it; when the book cannot be opened, a message says why and the program ends. Each book is shown in three panes: the tree of subjects, the preview and the list of documents.</translation>
    </message>
    <message>
        <source>Le premier programme qui ouvre un livre le réserve pour la modification ; les autres l&apos;ouvrent en lecture seule et peuvent demander à être avertis quand il se libère.</source>
        <translation>The first program that opens a book reserves it for editing; the others open it read-only and may ask to be told when it becomes free.</translation>
    </message>
    <message>
        <source>OPTIONS</source>
        <translation>OPTIONS</translation>
    </message>
    <message>
        <source>Ouvre un petit livre d&apos;exemple, avec ses documents, dans un dossier temporaire : le menu ? l&apos;ouvre aussi.</source>
        <translation>Opens a small example book, with its documents, in a temporary folder; the ? menu opens it too.</translation>
    </message>
    <message>
        <source>--help</source>
        <translation>--help</translation>
    </message>
    <message>
        <source>Affiche cette aide et s&apos;arrête.</source>
        <translation>Shows this help and exits.</translation>
    </message>
    <message>
        <source>--version</source>
        <translation>--version</translation>
    </message>
    <message>
        <source>Affiche la version et s&apos;arrête.</source>
        <translation>Shows the version and exits.</translation>
    </message>
    <message>
        <source>FICHIERS</source>
        <translation>FILES</translation>
    </message>
    <message>
        <source>~/.config/Morv/Tavelo.conf</source>
        <translation>~/.config/Morv/Tavelo.conf</translation>
    </message>
    <message>
        <source>Les quatre derniers livres ouverts.</source>
        <translation>The last four books opened.</translation>
    </message>
    <message>
        <source>.LIVRE.tvo.lock</source>
        <translation>.BOOK.tvo.lock</translation>
    </message>
    <message>
        <source>Fichier caché à côté de chaque livre ouvert : la réservation entre les instances de Tavelo.</source>
        <translation>Hidden file beside each open book: the reservation between instances of Tavelo.</translation>
    </message>
    <message>
        <source>ENVIRONNEMENT</source>
        <translation>ENVIRONMENT</translation>
    </message>
    <message>
        <source>LANGUAGE, LC_ALL, LC_MESSAGES, LANG : la langue de l&apos;interface. Elle est en anglais pour une langue anglaise (en), en français sinon.</source>
        <translation>LANGUAGE, LC_ALL, LC_MESSAGES, LANG: the language of the interface. It is English for an English language (en), French otherwise.</translation>
    </message>
    <message>
        <source>VOIR AUSSI</source>
        <translation>SEE ALSO</translation>
    </message>
    <message>
        <source>tavelo-cli(1)</source>
        <translation>tavelo-cli(1)</translation>
    </message>
</context>
<context>
    <name>Manual tavelo-cli</name>
    <message>
        <source>lit, écrit, cherche et exporte les livres Tavelo sans fenêtre</source>
        <translation>reads, writes, searches and exports Tavelo books without a window</translation>
    </message>
    <message>
        <source>dump LIVRE.tvo</source>
        <translation>dump BOOK.tvo</translation>
    </message>
    <message>
        <source>create FICHIER.json LIVRE.tvo [--force]</source>
        <translation>create FILE.json BOOK.tvo [--force]</translation>
    </message>
    <message>
        <source>search LIVRE.tvo MOT [--scope names,expected,files,contents] [--whole-word] [--match-case]</source>
        <translation>search BOOK.tvo WORD [--scope names,expected,files,contents] [--whole-word] [--match-case]</translation>
    </message>
    <message>
        <source>export LIVRE.tvo DOSSIER</source>
        <translation>export BOOK.tvo FOLDER</translation>
    </message>
    <message>
        <source>check LIVRE.tvo</source>
        <translation>check BOOK.tvo</translation>
    </message>
    <message>
        <source>--help | --version</source>
        <translation>--help | --version</translation>
    </message>
    <message>
        <source>DESCRIPTION</source>
        <translation>DESCRIPTION</translation>
    </message>
    <message>
        <source>tavelo-cli sert les scripts et les sauvegardes : il lit et écrit les livres de Tavelo (fichiers .tvo), y cherche un mot comme la fenêtre le fait, exporte un livre avec la copie de ses documents et vérifie que ses documents existent. Il n&apos;ouvre aucune fenêtre.</source>
        <translation>tavelo-cli serves scripts and backups: it reads and writes Tavelo books (.tvo files), searches them for a word as the window does, exports a book with copies of its documents and checks that its documents exist. It opens no window.</translation>
    </message>
    <message>
        <source>Un livre ouvert en modification par une instance de Tavelo reste lisible ; tavelo-cli ne le remplace jamais.</source>
        <translation>A book open for editing in an instance of Tavelo can still be read; tavelo-cli never replaces it.</translation>
    </message>
    <message>
        <source>COMMANDES</source>
        <translation>COMMANDS</translation>
    </message>
    <message>
        <source>Écrit un nouveau livre depuis un JSON de cette forme ; state, expected et documents peuvent manquer (0, &quot;&quot; et []). Un livre existant n&apos;est remplacé qu&apos;avec --force, et jamais quand une instance de Tavelo l&apos;a ouvert en modification.</source>
        <translation>Writes a new book from JSON of that shape; state, expected and documents may be left out (0, &quot;&quot; and []). An existing book is replaced only with --force, and never while an instance of Tavelo has it open for editing.</translation>
    </message>
    <message>
        <source>search LIVRE.tvo MOT</source>
        <translation>search BOOK.tvo WORD</translation>
    </message>
    <message>
        <source>Cherche MOT dans les intitulés des sujets, les attendus, les noms et le contenu des documents (texte, RTF, PDF, Word 97-2003, Excel 97-2003). Affiche les sujets trouvés dans l&apos;ordre du livre, un par ligne : titre général, tabulation, intitulé. Les documents qui n&apos;ont pas pu être lus sont signalés sur la sortie d&apos;erreur.</source>
        <translation>Searches for WORD in subject names, expected texts, document names and inside the documents (text, RTF, PDF, Word 97-2003, Excel 97-2003). Prints the subjects found in the order of the book, one per line: general title, tab, subject name. Documents that could not be read are reported on standard error.</translation>
    </message>
    <message>
        <source>Exporte le livre dans DOSSIER avec la copie de tous ses documents et le compte rendu Compte_rendu.txt, comme la commande Exporter de la fenêtre.</source>
        <translation>Exports the book into FOLDER with copies of all its documents and the report Compte_rendu.txt, as the Export command of the window does.</translation>
    </message>
    <message>
        <source>Liste les documents absents ou illisibles, un par ligne : titre général, intitulé et chemin, séparés par des tabulations.</source>
        <translation>Lists the documents that are missing or unreadable, one per line: general title, subject name and path, separated by tabs.</translation>
    </message>
    <message>
        <source>OPTIONS</source>
        <translation>OPTIONS</translation>
    </message>
    <message>
        <source>--scope LISTE</source>
        <translation>--scope LIST</translation>
    </message>
    <message>
        <source>Pour search : où chercher, parmi names (intitulés), expected (attendus), files (noms des documents) et contents (contenu des documents), séparés par des virgules. Par défaut, partout.</source>
        <translation>For search: where to search, among names (subject names), expected (expected texts), files (document names) and contents (inside the documents), separated by commas. Everywhere by default.</translation>
    </message>
    <message>
        <source>--whole-word</source>
        <translation>--whole-word</translation>
    </message>
    <message>
        <source>Pour search : le mot entier seulement.</source>
        <translation>For search: whole words only.</translation>
    </message>
    <message>
        <source>--match-case</source>
        <translation>--match-case</translation>
    </message>
    <message>
        <source>Pour search : respecte les majuscules et les minuscules.</source>
        <translation>For search: upper and lower case must match.</translation>
    </message>
    <message>
        <source>--force</source>
        <translation>--force</translation>
    </message>
    <message>
        <source>Pour create : remplace un livre existant.</source>
        <translation>For create: replaces an existing book.</translation>
    </message>
    <message>
        <source>--help</source>
        <translation>--help</translation>
    </message>
    <message>
        <source>Affiche cette aide et s&apos;arrête.</source>
        <translation>Shows this help and exits.</translation>
    </message>
    <message>
        <source>--version</source>
        <translation>--version</translation>
    </message>
    <message>
        <source>Affiche la version et s&apos;arrête.</source>
        <translation>Shows the version and exits.</translation>
    </message>
    <message>
        <source>CODE DE SORTIE</source>
        <translation>EXIT STATUS</translation>
    </message>
    <message>
        <source>0 quand la commande a réussi (search : au moins un sujet trouvé ; export : tous les documents copiés ; check : aucun document absent ou illisible). 1 sinon, ou en cas d&apos;erreur ; pour search, 1 quand rien n&apos;est trouvé et 2 sur une entrée incorrecte. En cas d&apos;erreur, un message est écrit sur la sortie d&apos;erreur et aucun fichier n&apos;est écrit.</source>
        <translation>0 when the command succeeded (search: at least one subject found; export: every document copied; check: no document missing or unreadable). 1 otherwise, or on an error; for search, 1 when nothing is found and 2 on wrong input. On an error, a message is written on standard error and no file is written.</translation>
    </message>
    <message>
        <source>ENVIRONNEMENT</source>
        <translation>ENVIRONMENT</translation>
    </message>
    <message>
        <source>LANGUAGE, LC_ALL, LC_MESSAGES, LANG : la langue des messages. Les messages sont en anglais pour une langue anglaise (en), en français sinon.</source>
        <translation>LANGUAGE, LC_ALL, LC_MESSAGES, LANG: the language of the messages. Messages are in English for an English language (en), in French otherwise.</translation>
    </message>
    <message>
        <source>VOIR AUSSI</source>
        <translation>SEE ALSO</translation>
    </message>
    <message>
        <source>tavelo(1)</source>
        <translation>tavelo(1)</translation>
    </message>
    <message>
        <source>Écrit le livre en JSON (UTF-8) sur la sortie standard, sous la forme {&quot;subjects&quot;: [{&quot;general_title&quot;: &quot;Impôts&quot;, &quot;name&quot;: &quot;2006&quot;, &quot;state&quot;: 1, &quot;expected&quot;: &quot;&quot;, &quot;documents&quot;: [&quot;/home/ana/avis.pdf&quot;]}]}.</source>
        <translation>Writes the book as JSON (UTF-8) on standard output, in the shape {&quot;subjects&quot;: [{&quot;general_title&quot;: &quot;Impôts&quot;, &quot;name&quot;: &quot;2006&quot;, &quot;state&quot;: 1, &quot;expected&quot;: &quot;&quot;, &quot;documents&quot;: [&quot;/home/ana/avis.pdf&quot;]}]}.</translation>
    </message>
</context>
<context>
    <name>tavelo-cli</name>
    <message>
        <source>Pour en savoir plus : tavelo-cli --help</source>
        <translation>For more: tavelo-cli --help</translation>
    </message>
    <message>
        <source>Commande inconnue : %1</source>
        <translation>Unknown command: %1</translation>
    </message>
</context>
</TS>
