<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Example</name>
    <message>
        <source>Bienvenue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lisez-moi.txt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contrat EDF.txt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Facture EDF mars.html</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Avis d&apos;impôt 2024.pdf</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Déclaration 2025.txt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Attestation assurance.rtf</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ce livre d&apos;exemple montre Tavelo avec quelques sujets.

Chaque sujet est rangé sous un titre général (Tavelo, EDF, Impôts, Logement). Un sujet vert est clôturé, un sujet rouge est en cours.
Cliquez sur un sujet : l&apos;aperçu montre ce qui est attendu, la liste en dessous ses documents. Double-cliquez sur un document pour l&apos;afficher.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contrat d&apos;électricité - maison

Titulaire : Ana Martin
Puissance : 6 kVA
Numéro du compteur : 0923 4471 0086
Relevé du compteur : chaque trimestre, en ligne ou par téléphone.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;body&gt;&lt;h2&gt;Facture d&apos;électricité - mars&lt;/h2&gt;&lt;table border=&quot;1&quot; cellpadding=&quot;4&quot;&gt;&lt;tr&gt;&lt;td&gt;Consommation&lt;/td&gt;&lt;td&gt;412 kWh&lt;/td&gt;&lt;/tr&gt;&lt;tr&gt;&lt;td&gt;Abonnement&lt;/td&gt;&lt;td&gt;15,20 €&lt;/td&gt;&lt;/tr&gt;&lt;tr&gt;&lt;td&gt;&lt;b&gt;Total&lt;/b&gt;&lt;/td&gt;&lt;td&gt;&lt;b&gt;98,75 €&lt;/b&gt;&lt;/td&gt;&lt;/tr&gt;&lt;/table&gt;&lt;p&gt;Index du compteur relevé le 28 mars.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Avis d&apos;impôt sur les revenus 2024</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Foyer fiscal : Ana Martin</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Revenu fiscal de référence : 31 240 €</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Montant de l&apos;impôt : 1 874 €</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Prélevé à la source : 1 874 €</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reste à payer : 0 €</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Déclaration des revenus 2025

Déposée en ligne le 22 mai.
Accusé de réception numéro 2025-118-0044.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Attestation d&apos;assurance habitation
Contrat multirisque habitation en cours de validité jusqu&apos;au 31 décembre.
Adresse assurée : 12 rue des Lilas.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tavelo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Voici un livre d&apos;exemple. À gauche, l&apos;arbre des sujets ; ici, l&apos;aperçu de ce qui est attendu pour clôturer le sujet ; en bas, les documents du sujet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Essayez « Edition &gt; Rechercher un sujet » avec le mot « compteur » : la recherche le trouve dans les attendus et dans le contenu des documents.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>EDF</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contrat maison</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Relevé du compteur à envoyer avant la fin du mois</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Impôts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2024</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2025</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Avis d&apos;imposition attendu en septembre</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Logement</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Assurance habitation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Attestation de l&apos;an prochain à recevoir</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exemple.tvo</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Manual</name>
    <message>
        <source>Usage :</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Commandes utilisateur</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>NOM</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SYNOPSIS</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Manual tavelo</name>
    <message>
        <source>registre des papiers personnels classés par sujet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>[LIVRE.tvo]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--exemple</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--help | --version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DESCRIPTION</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tavelo range les papiers personnels par sujet : chaque facture, avis d&apos;impôt ou courrier d&apos;une même affaire est rangé sous un sujet, les sujets sont groupés sous des titres généraux, marqués ouverts ou clos, avec ce qui est encore attendu et les chemins des documents. Un registre est un livre, un fichier .tvo.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sans argument, Tavelo ouvre un livre vide. Avec le chemin d&apos;un livre, il l&apos;ouvre ; s&apos;il ne peut pas être ouvert, un message l&apos;explique et le programme s&apos;arrête. Chaque livre s&apos;affiche en trois volets : l&apos;arbre des sujets, l&apos;aperçu et la liste des documents.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Le premier programme qui ouvre un livre le réserve pour la modification ; les autres l&apos;ouvrent en lecture seule et peuvent demander à être avertis quand il se libère.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OPTIONS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ouvre un petit livre d&apos;exemple, avec ses documents, dans un dossier temporaire : le menu ? l&apos;ouvre aussi.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Affiche cette aide et s&apos;arrête.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Affiche la version et s&apos;arrête.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FICHIERS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>~/.config/Morv/Tavelo.conf</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Les quatre derniers livres ouverts.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>.LIVRE.tvo.lock</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fichier caché à côté de chaque livre ouvert : la réservation entre les instances de Tavelo.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ENVIRONNEMENT</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LANGUAGE, LC_ALL, LC_MESSAGES, LANG : la langue de l&apos;interface. Elle est en anglais pour une langue anglaise (en), en français sinon.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>VOIR AUSSI</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tavelo-cli(1)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Manual tavelo-cli</name>
    <message>
        <source>lit, écrit, cherche et exporte les livres Tavelo sans fenêtre</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>dump LIVRE.tvo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>create FICHIER.json LIVRE.tvo [--force]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>search LIVRE.tvo MOT [--scope names,expected,files,contents] [--whole-word] [--match-case]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>export LIVRE.tvo DOSSIER</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>check LIVRE.tvo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--help | --version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DESCRIPTION</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tavelo-cli sert les scripts et les sauvegardes : il lit et écrit les livres de Tavelo (fichiers .tvo), y cherche un mot comme la fenêtre le fait, exporte un livre avec la copie de ses documents et vérifie que ses documents existent. Il n&apos;ouvre aucune fenêtre.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Un livre ouvert en modification par une instance de Tavelo reste lisible ; tavelo-cli ne le remplace jamais.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>COMMANDES</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Écrit le livre en JSON (UTF-8) sur la sortie standard, sous la forme {&quot;subjects&quot;:[{&quot;general_title&quot;:&quot;Impôts&quot;,&quot;name&quot;:&quot;2006&quot;,&quot;state&quot;:1,&quot;expected&quot;:&quot;&quot;,&quot;documents&quot;:[&quot;/home/ana/avis.pdf&quot;]}]}.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Écrit un nouveau livre depuis un JSON de cette forme ; state, expected et documents peuvent manquer (0, &quot;&quot; et []). Un livre existant n&apos;est remplacé qu&apos;avec --force, et jamais quand une instance de Tavelo l&apos;a ouvert en modification.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>search LIVRE.tvo MOT</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cherche MOT dans les intitulés des sujets, les attendus, les noms et le contenu des documents (texte, RTF, PDF, Word 97-2003, Excel 97-2003). Affiche les sujets trouvés dans l&apos;ordre du livre, un par ligne : titre général, tabulation, intitulé. Les documents qui n&apos;ont pas pu être lus sont signalés sur la sortie d&apos;erreur.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exporte le livre dans DOSSIER avec la copie de tous ses documents et le compte rendu Compte_rendu.txt, comme la commande Exporter de la fenêtre.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Liste les documents absents ou illisibles, un par ligne : titre général, intitulé et chemin, séparés par des tabulations.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OPTIONS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--scope LISTE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pour search : où chercher, parmi names (intitulés), expected (attendus), files (noms des documents) et contents (contenu des documents), séparés par des virgules. Par défaut, partout.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--whole-word</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pour search : le mot entier seulement.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--match-case</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pour search : respecte les majuscules et les minuscules.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--force</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pour create : remplace un livre existant.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Affiche cette aide et s&apos;arrête.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Affiche la version et s&apos;arrête.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CODE DE SORTIE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>0 quand la commande a réussi (search : au moins un sujet trouvé ; export : tous les documents copiés ; check : aucun document absent ou illisible). 1 sinon, ou en cas d&apos;erreur ; pour search, 1 quand rien n&apos;est trouvé et 2 sur une entrée incorrecte. En cas d&apos;erreur, un message est écrit sur la sortie d&apos;erreur et aucun fichier n&apos;est écrit.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ENVIRONNEMENT</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LANGUAGE, LC_ALL, LC_MESSAGES, LANG : la langue des messages. Les messages sont en anglais pour une langue anglaise (en), en français sinon.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>VOIR AUSSI</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tavelo(1)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tavelo-cli</name>
    <message>
        <source>Pour en savoir plus : tavelo-cli --help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Commande inconnue : %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
