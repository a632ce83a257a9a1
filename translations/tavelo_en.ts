<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Book</name>
    <message>
        <source>Le fichier est tronqué : sa fin est atteinte au milieu d&apos;un sujet.</source>
        <translation>The file is truncated: it ends in the middle of a subject.</translation>
    </message>
    <message>
        <source>Le fichier est endommagé : une longueur de texte est invalide.</source>
        <translation>The file is damaged: a text length is invalid.</translation>
    </message>
    <message>
        <source>Le fichier est endommagé : %1</source>
        <translation>The file is damaged: %1</translation>
    </message>
    <message>
        <source>Ce fichier n&apos;est pas un livre Tavelo : il contient des objets d&apos;une autre classe que CTenorels.</source>
        <translation>This file is not a Tavelo book: it holds objects of another class than CTenorels.</translation>
    </message>
    <message>
        <source>une étiquette de classe désigne une classe inconnue.</source>
        <translation>a class tag names an unknown class.</translation>
    </message>
    <message>
        <source>une référence désigne un objet qui n&apos;a pas été lu.</source>
        <translation>a reference names an object that was not read.</translation>
    </message>
    <message>
        <source>%1 : les sujets sont enregistrés sous la version %2, que Tavelo ne sait pas lire.</source>
        <translation>%1: the subjects are stored in version %2, which Tavelo cannot read.</translation>
    </message>
    <message>
        <source>Format du fichier inconnu</source>
        <translation>Unknown file format</translation>
    </message>
    <message>
        <source>le fichier ou le dossier n&apos;existe pas</source>
        <translation>the file or folder does not exist</translation>
    </message>
    <message>
        <source>accès refusé</source>
        <translation>access denied</translation>
    </message>
    <message>
        <source>le disque est plein</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>le quota de disque est dépassé</source>
        <translation>the disk quota is exceeded</translation>
    </message>
    <message>
        <source>le système de fichiers est en lecture seule</source>
        <translation>the file system is read-only</translation>
    </message>
    <message>
        <source>c&apos;est un dossier</source>
        <translation>it is a folder</translation>
    </message>
    <message>
        <source>un élément du chemin n&apos;est pas un dossier</source>
        <translation>a part of the path is not a folder</translation>
    </message>
    <message>
        <source>erreur d&apos;entrée-sortie</source>
        <translation>input/output error</translation>
    </message>
    <message>
        <source>le fichier existe déjà</source>
        <translation>the file already exists</translation>
    </message>
    <message>
        <source>le nom est trop long</source>
        <translation>the name is too long</translation>
    </message>
    <message>
        <source>le fichier est trop grand</source>
        <translation>the file is too large</translation>
    </message>
    <message>
        <source>le verrouillage de fichiers n&apos;est pas disponible sur ce dossier</source>
        <translation>file locking is not available in this folder</translation>
    </message>
    <message>
        <source>le fichier est verrouillé par un autre programme</source>
        <translation>the file is locked by another program</translation>
    </message>
    <message>
        <source>Impossible de lire le fichier « %1 » : %2.</source>
        <translation>The file &quot;%1&quot; cannot be read: %2.</translation>
    </message>
    <message>
        <source>Impossible d&apos;écrire le fichier « %1 » : %2.</source>
        <translation>The file &quot;%1&quot; cannot be written: %2.</translation>
    </message>
    <message>
        <source>Le livre « %1 » est en cours d&apos;enregistrement par une autre instance de Tavelo ; réessayez plus tard.</source>
        <translation>The book &quot;%1&quot; is being saved by another instance of Tavelo; try again later.</translation>
    </message>
    <message>
        <source>Impossible de verrouiller le livre « %1 » : %2.</source>
        <translation>The book &quot;%1&quot; cannot be locked: %2.</translation>
    </message>
    <message>
        <source>Vous n&apos;avez pas le droit de modifier ce fichier : il est ouvert en lecture seule.</source>
        <translation>You may not change this file: it is open read-only.</translation>
    </message>
    <message>
        <source>Le dossier de ce fichier ne permet pas de le réserver (partage en lecture seule) : il est ouvert en lecture seule.</source>
        <translation>This file&apos;s folder does not allow reserving it (read-only share): it is open read-only.</translation>
    </message>
    <message>
        <source>Le dossier de ce fichier ne permet pas le verrouillage entre postes : il est ouvert en lecture seule.</source>
        <translation>This file&apos;s folder does not allow locking between computers: it is open read-only.</translation>
    </message>
    <message>
        <source>Impossible d&apos;ouvrir le fichier « %1 » : %2.</source>
        <translation>The file &quot;%1&quot; cannot be opened: %2.</translation>
    </message>
    <message>
        <source>Impossible de réserver le fichier « %1 » : %2.</source>
        <translation>The file &quot;%1&quot; cannot be reserved: %2.</translation>
    </message>
    <message>
        <source>Erreur lors de l&apos;ouverture du fichier &apos;%1&apos;</source>
        <translation>Error while opening the file &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Le fichier &apos;%1&apos; est utilisé.
Sauvegarder le sous un nom différent.</source>
        <translation>The file &apos;%1&apos; is in use.
Save it under another name.</translation>
    </message>
    <message>
        <source>Le fichier devant être fusionné n&apos;a pas pu être ouvert</source>
        <translation>The file to merge could not be opened</translation>
    </message>
    <message>
        <source>Le livre est réservé par une autre instance de Tavelo.</source>
        <translation>The book is reserved by another instance of Tavelo.</translation>
    </message>
    <message>
        <source>Réservé par %1</source>
        <translation>Reserved by %1</translation>
    </message>
    <message>
        <source> sur le poste %1</source>
        <translation> on the computer %1</translation>
    </message>
    <message>
        <source>Le fichier « %1 » ne peut pas être fusionné : %2</source>
        <translation>The file &quot;%1&quot; cannot be merged: %2</translation>
    </message>
    <message>
        <source>Impossible d&apos;enregistrer le livre « %1 » : %2.</source>
        <translation>The book &quot;%1&quot; cannot be saved: %2.</translation>
    </message>
    <message>
        <source>Le livre demande plus de mémoire (%1 Mio) qu&apos;il n&apos;en reste sur ce poste : il est sans doute endommagé.</source>
        <translation>The book asks for more memory (%1 MiB) than this computer has left: it is probably damaged.</translation>
    </message>
    <message>
        <source>la mémoire est insuffisante</source>
        <translation>there is not enough memory</translation>
    </message>
    <message>
        <source>trop de liens symboliques</source>
        <translation>too many symbolic links</translation>
    </message>
    <message>
        <source>c&apos;est un tube nommé, pas un fichier ordinaire</source>
        <translation>it is a named pipe, not a regular file</translation>
    </message>
    <message>
        <source>c&apos;est un périphérique, pas un fichier ordinaire</source>
        <translation>it is a device, not a regular file</translation>
    </message>
    <message>
        <source>c&apos;est une prise de communication (socket), pas un fichier ordinaire</source>
        <translation>it is a socket, not a regular file</translation>
    </message>
    <message>
        <source>ce n&apos;est pas un fichier ordinaire</source>
        <translation>it is not a regular file</translation>
    </message>
    <message>
        <source>Ce fichier a plusieurs noms (liens physiques) et une réservation ne peut pas les couvrir tous</source>
        <translation>This file has several names (hard links) and no reservation can cover them all</translation>
    </message>
    <message>
        <source>un autre utilisateur</source>
        <translation>another user</translation>
    </message>
    <message>
        <source>Le fichier de réservation « %1 » de ce livre appartient à %2 et ne vous permet pas d&apos;y écrire. Quand plus personne n&apos;a ce livre ouvert, %2 peut supprimer ce fichier (Tavelo le recréera modifiable par tous ceux qui peuvent écrire dans le dossier) ou le rendre modifiable par le groupe (chmod g+w)</source>
        <translation>The reservation file &quot;%1&quot; of this book belongs to %2 and does not let you write to it. When nobody has this book open any more, %2 can delete that file (Tavelo will make it again, writable by everyone who may write to the folder) or make it writable by the group (chmod g+w)</translation>
    </message>
    <message>
        <source>%1 : il est ouvert en lecture seule. Enregistrez-le sous un autre nom pour le modifier.</source>
        <translation>%1: it is open read-only. Save it under another name to change it.</translation>
    </message>
    <message>
        <source>%1. Le livre est ouvert en lecture seule.</source>
        <translation>%1. The book is open read-only.</translation>
    </message>
    <message>
        <source>%1 ; il n&apos;est pas remplacé</source>
        <translation>%1; it is not replaced</translation>
    </message>
    <message>
        <source>il demande plus de mémoire que ce poste n&apos;en a ; il est sans doute endommagé.</source>
        <translation>it asks for more memory than this computer has; it is probably damaged.</translation>
    </message>
    <message>
        <source>Ce fichier n&apos;est pas un livre Tavelo.</source>
        <translation>This file is not a Tavelo book.</translation>
    </message>
    <message>
        <source>ce n&apos;est pas un livre lisible : %1</source>
        <translation>it is not a readable book: %1</translation>
    </message>
    <message>
        <source>ce n&apos;est pas un livre lisible : il demande plus de mémoire que ce poste n&apos;en a.</source>
        <translation>it is not a readable book: it asks for more memory than this computer has.</translation>
    </message>
    <message>
        <source>une autre instance de Tavelo</source>
        <translation>another instance of Tavelo</translation>
    </message>
    <message>
        <source>%1 sur le poste %2</source>
        <translation>%1 on the computer %2</translation>
    </message>
    <message>
        <source>Le livre « %1 » a été repris par %2 : il n&apos;est pas remplacé. Vos modifications restent ouvertes ; enregistrez-les sous un autre nom ou fusionnez-les.</source>
        <translation>The book &quot;%1&quot; was taken over by %2: it is not replaced. Your changes stay open; save them under another name or merge them.</translation>
    </message>
    <message>
        <source>Le livre « %1 » a été modifié ailleurs depuis que vous l&apos;avez ouvert (un autre poste, un client de synchronisation ou une restauration) : il n&apos;est pas remplacé.</source>
        <translation>The book &quot;%1&quot; was changed elsewhere since you opened it (another computer, a sync client or a restore): it is not replaced.</translation>
    </message>
    <message>
        <source>Aucun signe de vie depuis %1 s</source>
        <translation>No sign of life for %1 s</translation>
    </message>
    <message>
        <source>Aucun signe de vie depuis %1 min</source>
        <translation>No sign of life for %1 min</translation>
    </message>
    <message>
        <source>Aucun signe de vie depuis %1 h %2 min</source>
        <translation>No sign of life for %1 h %2 min</translation>
    </message>
    <message>
        <source>%H:%M</source>
        <translation>%H:%M</translation>
    </message>
    <message>
        <source>le %d/%m/%Y à %H:%M</source>
        <translation>%m/%d/%Y at %H:%M</translation>
    </message>
    <message>
        <source> depuis %1</source>
        <translation> since %1</translation>
    </message>
</context>
<context>
    <name>Editing</name>
    <message>
        <source>Attention le fichier %1 n&apos;a pas pu être copié, vous devez le faire manuellement</source>
        <translation>Warning: the file %1 could not be copied, you must copy it yourself</translation>
    </message>
    <message>
        <source>Impossible de créer les fichiers 
 Le fichier %1 existe déjà dans le dossier choisi, il n&apos;est pas remplacé</source>
        <translation>The files cannot be created 
 The file %1 already exists in the chosen folder, it is not replaced</translation>
    </message>
    <message>
        <source>Le fichier %1 existe déjà dans le dossier spécifié 
 Voulez-vous le remplacer ?</source>
        <translation>The file %1 already exists in the folder 
 Do you want to replace it?</translation>
    </message>
    <message>
        <source>Donner le dossier où exporter les fichiers</source>
        <translation>Give the folder to export the files into</translation>
    </message>
    <message>
        <source>Impossible de créer le dossier 
 1/ Assurez-vous d&apos;avoir les droits 
 2/ Assurez-vous qu&apos;aucun dossier n&apos;existe dans le répertoire de sauvegarde</source>
        <translation>The folder cannot be created 
 1/ Make sure you have the rights 
 2/ Make sure no folder of that name exists in the backup folder</translation>
    </message>
    <message>
        <source>Impossible de créer les fichiers 
 Assurez-vous d&apos;avoir les droits</source>
        <translation>The files cannot be created 
 Make sure you have the rights</translation>
    </message>
    <message>
        <source>Impossible de créer le fichier de compte rendu</source>
        <translation>The report file cannot be created</translation>
    </message>
    <message>
        <source>Il existe des erreurs 
 Vous pouvez consulter le fichier de compte-rendu pour les connaitre</source>
        <translation>There are errors 
 See the report file for them</translation>
    </message>
    <message>
        <source>Le fichier a été exporté avec succès 
 Vous pouvez consulter le fichier de compte-rendu</source>
        <translation>The file was exported 
 See the report file</translation>
    </message>
    <message>
        <source>Exportation</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>Exportation vers le dossier </source>
        <translation>Exporting to the folder </translation>
    </message>
    <message>
        <source>Copie du fichier </source>
        <translation>Copying the file </translation>
    </message>
    <message>
        <source>Donner le dossier où copier les documents</source>
        <translation>Give the folder to copy the documents into</translation>
    </message>
    <message>
        <source>Copie du sujet</source>
        <translation>Copy of the subject</translation>
    </message>
    <message>
        <source>Les documents ont été correctement copié dans le dossier spécifié</source>
        <translation>The documents were copied into the folder</translation>
    </message>
    <message>
        <source>Il existe au moins un document qui n&apos;a pas été copié correctementé</source>
        <translation>At least one document was not copied</translation>
    </message>
    <message>
        <source>Donner le dossier où se trouve désormais les fichiers</source>
        <translation>Give the folder where the files now are</translation>
    </message>
    <message>
        <source>Impossible de créer le fichier Attendu.txt dans le dossier spécifié</source>
        <translation>The file Attendu.txt cannot be created in the folder</translation>
    </message>
    <message>
        <source>le fichier n&apos;existe pas</source>
        <translation>the file does not exist</translation>
    </message>
    <message>
        <source>ce n&apos;est pas un fichier ordinaire</source>
        <translation>it is not a regular file</translation>
    </message>
    <message>
        <source>trop de liens symboliques</source>
        <translation>too many symbolic links</translation>
    </message>
</context>
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
    <name>Filing</name>
    <message>
        <source>ce type de document n&apos;est pas lu</source>
        <translation>this kind of document is not read</translation>
    </message>
    <message>
        <source>le document n&apos;a pas pu être lu</source>
        <translation>the document could not be read</translation>
    </message>
    <message>
        <source>Le dossier « %1 » ne peut pas être lu : %2.</source>
        <translation>The folder &quot;%1&quot; cannot be read: %2.</translation>
    </message>
    <message>
        <source>« %1 » ne désigne pas un sujet : écrivez TITRE GÉNÉRAL/INTITULÉ.</source>
        <translation>&quot;%1&quot; names no subject: write GENERAL TITLE/SUBJECT.</translation>
    </message>
    <message>
        <source>Le livre n&apos;a pas de sujet « %1 / %2 » ; --create le crée.</source>
        <translation>The book has no subject &quot;%1 / %2&quot;; --create creates it.</translation>
    </message>
    <message>
        <source>Le fichier « %1 » ne peut pas être ajouté : %2.</source>
        <translation>The file &quot;%1&quot; cannot be added: %2.</translation>
    </message>
    <message>
        <source>Le document « %1 » est déjà dans le livre : rien n&apos;a été ajouté.</source>
        <translation>The document &quot;%1&quot; is already in the book: nothing was added.</translation>
    </message>
    <message>
        <source>même IBAN %1 que %2 / %3</source>
        <translation>same IBAN %1 as %2 / %3</translation>
    </message>
    <message>
        <source>même SIRET %1 que %2 / %3</source>
        <translation>same SIRET %1 as %2 / %3</translation>
    </message>
    <message>
        <source>même SIREN %1 que %2 / %3</source>
        <translation>same SIREN %1 as %2 / %3</translation>
    </message>
    <message>
        <source>même domaine d&apos;adresse e-mail %1 que %2 / %3</source>
        <translation>same e-mail domain %1 as %2 / %3</translation>
    </message>
    <message>
        <source>même numéro de contrat %1 que %2 / %3</source>
        <translation>same contract number %1 as %2 / %3</translation>
    </message>
    <message>
        <source>même numéro de client %1 que %2 / %3</source>
        <translation>same customer number %1 as %2 / %3</translation>
    </message>
    <message>
        <source>même numéro de dossier %1 que %2 / %3</source>
        <translation>same file number %1 as %2 / %3</translation>
    </message>
    <message>
        <source>même numéro de facture %1 que %2 / %3</source>
        <translation>same invoice number %1 as %2 / %3</translation>
    </message>
    <message>
        <source>même numéro fiscal %1 que %2 / %3</source>
        <translation>same tax number %1 as %2 / %3</translation>
    </message>
    <message>
        <source>même référence %1 que %2 / %3</source>
        <translation>same reference %1 as %2 / %3</translation>
    </message>
    <message>
        <source>mêmes mots que %1 documents de %2 / %3</source>
        <translation>same words as %1 documents of %2 / %3</translation>
    </message>
    <message>
        <source>mêmes mots qu&apos;un document de %1 / %2</source>
        <translation>same words as a document of %1 / %2</translation>
    </message>
    <message>
        <source>mêmes mots que l&apos;attendu de %1 / %2</source>
        <translation>same words as the expected text of %1 / %2</translation>
    </message>
    <message>
        <source>mêmes mots que l&apos;intitulé de %1 / %2</source>
        <translation>same words as the name of %1 / %2</translation>
    </message>
    <message>
        <source>peu d&apos;indices en commun avec %1 / %2</source>
        <translation>little in common with %1 / %2</translation>
    </message>
</context>
<context>
    <name>Inbox</name>
    <message>
        <source>Aucun nom libre pour « %1 » dans « %2 » : le fichier est resté où il était.</source>
        <translation>No free name for &quot;%1&quot; in &quot;%2&quot;: the file was left where it was.</translation>
    </message>
    <message>
        <source>« %1 » n&apos;a pas pu être rangé dans « %2 » : %3. Le fichier est resté où il était.</source>
        <translation>&quot;%1&quot; could not be moved into &quot;%2&quot;: %3. The file was left where it was.</translation>
    </message>
    <message>
        <source>Numérisation</source>
        <translation>Scan</translation>
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
    <message>
        <source>search LIVRE.tvo MOT [--scope names,expected,files,contents] [--whole-word] [--match-case] [--no-cache] [--readers=N] [--memory=Mio] [--time=SECONDES] [--ocr-time=SECONDES]</source>
        <translation>search BOOK.tvo WORD [--scope names,expected,files,contents] [--whole-word] [--match-case] [--no-cache] [--readers=N] [--memory=MiB] [--time=SECONDS] [--ocr-time=SECONDS]</translation>
    </message>
    <message>
        <source>cache stats|clear</source>
        <translation>cache stats|clear</translation>
    </message>
    <message>
        <source>stats décrit le cache des textes des documents que garde la recherche (dans $XDG_CACHE_HOME/tavelo, par défaut ~/.cache/tavelo) ; clear le vide : les documents seront relus à la prochaine recherche.</source>
        <translation>stats describes the text cache of the documents that the search keeps (in $XDG_CACHE_HOME/tavelo, ~/.cache/tavelo by default); clear empties it: the documents will be read again at the next search.</translation>
    </message>
    <message>
        <source>--no-cache</source>
        <translation>--no-cache</translation>
    </message>
    <message>
        <source>Pour search : lit chaque document sans passer par le cache des textes.</source>
        <translation>For search: reads every document without the text cache.</translation>
    </message>
    <message>
        <source>--readers=N</source>
        <translation>--readers=N</translation>
    </message>
    <message>
        <source>Pour search : le nombre de programmes de lecture qui travaillent ensemble (par défaut, un par processeur).</source>
        <translation>For search: the number of reader programs working together (one per processor by default).</translation>
    </message>
    <message>
        <source>--memory=Mio</source>
        <translation>--memory=MiB</translation>
    </message>
    <message>
        <source>Pour search : la mémoire que peut prendre un programme de lecture (512 Mio par défaut).</source>
        <translation>For search: the memory a reader program may take (512 MiB by default).</translation>
    </message>
    <message>
        <source>--time=SECONDES</source>
        <translation>--time=SECONDS</translation>
    </message>
    <message>
        <source>Pour search : le temps que peut prendre la lecture d&apos;un document (20 secondes par défaut).</source>
        <translation>For search: the time reading one document may take (20 seconds by default).</translation>
    </message>
    <message>
        <source>--ocr-time=SECONDES</source>
        <translation>--ocr-time=SECONDS</translation>
    </message>
    <message>
        <source>Pour search : le temps que peut prendre la reconnaissance du texte d&apos;une page numérisée (60 secondes par défaut).</source>
        <translation>For search: the time recognising the text of one scanned page may take (60 seconds by default).</translation>
    </message>
    <message>
        <source>Cherche dans DOSSIER et ses sous-dossiers les documents absents du livre : même nom (et même taille quand elle est connue), ou même contenu pour un document renommé que la recherche avait lu. Re-pointe ceux pour lesquels un seul fichier convient et écrit pour chacun le titre général, l&apos;intitulé, l&apos;ancien et le nouveau chemin, séparés par des tabulations ; les autres sont signalés sur la sortie d&apos;erreur. Un livre ouvert en modification par une instance de Tavelo n&apos;est pas modifié.</source>
        <translation>Looks in FOLDER and its sub-folders for the missing documents of the book: same name (and same size when it is known), or same content for a renamed document that the search had read. Re-points those for which one file alone fits and prints for each the general title, the subject name, the old and the new path, separated by tabs; the others are reported on standard error. A book open for editing in an instance of Tavelo is not changed.</translation>
    </message>
    <message>
        <source>--dry-run</source>
        <translation>--dry-run</translation>
    </message>
    <message>
        <source>create FICHIER.json LIVRE.tvo [--force] [--take-over]</source>
        <translation>create FILE.json BOOK.tvo [--force] [--take-over]</translation>
    </message>
    <message>
        <source>find LIVRE.tvo REQUÊTE... [--json] [--limit N]</source>
        <translation>find BOOK.tvo QUERY... [--json] [--limit N]</translation>
    </message>
    <message>
        <source>find LIVRE.tvo REQUÊTE...</source>
        <translation>find BOOK.tvo QUERY...</translation>
    </message>
    <message>
        <source>La recherche rapide de la fenêtre : chaque mot de la requête, sans tenir compte des majuscules, des accents ni du pluriel, dans le document (son contenu, son nom) ou dans l&apos;intitulé, le titre général et l&apos;attendu de son sujet. &quot;une phrase&quot; cherche les mots côte à côte, -mot écarte, mot* cherche un début de mot, a OR b l&apos;un ou l&apos;autre ; un numéro de référence ou un IBAN se trouve avec ou sans ses espaces. Les documents que le cache des textes ne connaît pas encore sont lus d&apos;abord. Écrit les meilleurs résultats d&apos;abord, un par ligne : titre général/intitulé, tabulation, chemin du document (vide pour les champs du sujet lui-même), tabulation, extrait.</source>
        <translation>The quick search of the window: every word of the query, whatever the case, the accents or the plural, in the document (its text, its name) or in the name, general title and expected text of its subject. &quot;a phrase&quot; finds the words side by side, -word leaves out, word* finds the beginning of a word, a OR b either; a reference number or an IBAN is found with or without its spaces. Documents the text cache does not know yet are read first. Writes the best results first, one per line: general title/subject name, tab, path of the document (empty for the subject&apos;s own fields), tab, extract.</translation>
    </message>
    <message>
        <source>--json</source>
        <translation>--json</translation>
    </message>
    <message>
        <source>--limit N</source>
        <translation>--limit N</translation>
    </message>
    <message>
        <source>Pour find : les N meilleurs résultats seulement.</source>
        <translation>For find: the N best results only.</translation>
    </message>
    <message>
        <source>help [COMMANDE]</source>
        <translation>help [COMMAND]</translation>
    </message>
    <message>
        <source>Affiche l&apos;aide de COMMANDE (comme « tavelo-cli COMMANDE --help »), ou sans COMMANDE toute cette aide.</source>
        <translation>Prints the help of COMMAND (as &quot;tavelo-cli COMMAND --help&quot; does), or without COMMAND all of this help.</translation>
    </message>
    <message>
        <source>relink LIVRE.tvo DOSSIER [--dry-run] [--take-over]</source>
        <translation>relink BOOK.tvo FOLDER [--dry-run] [--take-over]</translation>
    </message>
    <message>
        <source>holder LIVRE.tvo [--json]</source>
        <translation>holder BOOK.tvo [--json]</translation>
    </message>
    <message>
        <source>conflicts LIVRE.tvo</source>
        <translation>conflicts BOOK.tvo</translation>
    </message>
    <message>
        <source>merge-copy LIVRE.tvo COPIE.tvo [--base BASE.tvo] [--dry-run]</source>
        <translation>merge-copy BOOK.tvo COPY.tvo [--base BASE.tvo] [--dry-run]</translation>
    </message>
    <message>
        <source>Dit qui a le livre ouvert en modification (utilisateur, poste, processus), depuis quand et depuis combien de temps il n&apos;a pas donné signe de vie, ou que le livre est libre. Le fichier de réservation est lu même quand son verrou est libre (montage sshfs, dossier synchronisé). Avec --json, une ligne JSON dont le champ state vaut free, held, silent (détenteur sur un autre poste, muet depuis 3 minutes) ou gone.</source>
        <translation>Tells who has the book open for editing (user, computer, process), since when and how long ago it last gave a sign of life, or that the book is free. The reservation file is read even when its lock is free (sshfs mount, synced folder). With --json, one JSON line whose state field is free, held, silent (a holder on another computer, silent for 3 minutes) or gone.</translation>
    </message>
    <message>
        <source>Liste les copies en conflit que les clients de synchronisation ont laissées à côté du livre (Nextcloud, ownCloud, Syncthing, Dropbox, OneDrive), une par ligne : chemin, client et « lisible » ou la raison pour laquelle ce n&apos;est pas un livre lisible.</source>
        <translation>Lists the conflict copies that sync clients left beside the book (Nextcloud, ownCloud, Syncthing, Dropbox, OneDrive), one a line: path, client and &quot;readable&quot; or why it is not a readable book.</translation>
    </message>
    <message>
        <source>Fusionne une copie en conflit dans le livre, sujet par sujet (titre général et intitulé) : à trois quand la version commune est connue (--base, ou celle que Tavelo a gardée dans son cache), à deux sinon. Écrit chaque changement : côté (livre, copie, les deux), changement, titre général et intitulé, séparés par des tabulations. Le livre fusionné est enregistré, puis la copie va à la corbeille. Code de sortie 3, sans rien écrire, quand des sujets ont été modifiés des deux côtés (sauf avec --dry-run, qui n&apos;écrit jamais rien).</source>
        <translation>Merges a conflict copy into the book, subject by subject (general title and name): three-way when the common version is known (--base, or the one Tavelo kept in its cache), two-way otherwise. Writes each change: side (book, copy, both), change, general title and name, separated by tabs. The merged book is saved, then the copy goes to the trash. Exit status 3, with nothing written, when subjects were changed on both sides (except with --dry-run, which never writes anything).</translation>
    </message>
    <message>
        <source>--take-over</source>
        <translation>--take-over</translation>
    </message>
    <message>
        <source>Pour create et relink : reprend un livre dont le détenteur, sur un autre poste, ne donne plus signe de vie depuis 3 minutes. Un détenteur vivant n&apos;est jamais dépossédé.</source>
        <translation>For create and relink: takes over a book whose holder, on another computer, has given no sign of life for 3 minutes. A live holder is never dispossessed.</translation>
    </message>
    <message>
        <source>Pour relink : écrit ce qui serait re-pointé, sans toucher au livre. Pour merge-copy : écrit les changements, sans rien enregistrer.</source>
        <translation>For relink: writes what would be re-pointed, without touching the book. For merge-copy: writes the changes, without saving anything.</translation>
    </message>
    <message>
        <source>--base BASE.tvo</source>
        <translation>--base BASE.tvo</translation>
    </message>
    <message>
        <source>Pour merge-copy : la version commune du livre et de la copie.</source>
        <translation>For merge-copy: the common version of the book and the copy.</translation>
    </message>
    <message>
        <source>suggest LIVRE.tvo FICHIER... [--json]</source>
        <translation>suggest BOOK.tvo FILE... [--json]</translation>
    </message>
    <message>
        <source>add LIVRE.tvo &quot;TITRE GÉNÉRAL/INTITULÉ&quot; FICHIER... [--create]</source>
        <translation>add BOOK.tvo &quot;GENERAL TITLE/SUBJECT&quot; FILE... [--create]</translation>
    </message>
    <message>
        <source>Ajoute les fichiers (chemins rendus absolus) au sujet, comme la commande Ajouter un document de la fenêtre, et enregistre le livre. Le sujet doit exister, sauf avec --create qui le crée (ouvert, à la fin du livre). Rien n&apos;est ajouté quand un fichier manque ou est déjà dans le livre, ni quand une instance de Tavelo a le livre ouvert en modification. Écrit une ligne par document ajouté : titre général/intitulé, tabulation, chemin ; leur texte est lu et gardé dans le cache pour la recherche.</source>
        <translation>Adds the files (their paths made absolute) to the subject, as the window&apos;s add document command does, and saves the book. The subject must exist, except with --create, which creates it (open, at the end of the book). Nothing is added when a file is missing or already in the book, nor when an instance of Tavelo has the book open for writing. Writes one line per document added: general title/subject, a tab, the path; their text is read and kept in the cache for the search.</translation>
    </message>
    <message>
        <source>inbox LIVRE.tvo DOSSIER [--json]</source>
        <translation>inbox BOOK.tvo FOLDER [--json]</translation>
    </message>
    <message>
        <source>Liste les fichiers de DOSSIER (sans ses sous-dossiers ni les fichiers cachés) que le livre ne contient pas encore, les plus récents d&apos;abord, avec leurs suggestions, sous la forme de suggest.</source>
        <translation>Lists the files of FOLDER (not its subfolders nor hidden files) that the book does not hold yet, newest first, with their suggestions, in the form of suggest.</translation>
    </message>
    <message>
        <source>Pour find : un tableau JSON d&apos;objets general_title, subject, document (null pour les champs du sujet), where (parmi name, general_title, expected, file_name, contents), hits et extract. Pour suggest et inbox : un tableau JSON d&apos;objets file, new_subject et suggestions (au plus trois objets general_title, subject, score et reason), ou file et unreadable (la raison) pour un fichier illisible.</source>
        <translation>For find: a JSON array of objects general_title, subject, document (null for the subject&apos;s own fields), where (among name, general_title, expected, file_name, contents), hits and extract. For suggest and inbox: a JSON array of objects file, new_subject and suggestions (at most three objects general_title, subject, score and reason), or file and unreadable (the reason) for an unreadable file.</translation>
    </message>
    <message>
        <source>--create</source>
        <translation>--create</translation>
    </message>
    <message>
        <source>Pour add : crée le sujet quand le livre ne l&apos;a pas.</source>
        <translation>For add: creates the subject when the book lacks it.</translation>
    </message>
    <message>
        <source>0 quand la commande a réussi (search : au moins un sujet trouvé ; export : tous les documents copiés ; check : aucun document absent ou illisible ; relink : tous les documents absents retrouvés ; suggest et inbox : tous les fichiers lus). 1 sinon, ou en cas d&apos;erreur ; pour search et find, 1 quand rien n&apos;est trouvé et 2 sur une entrée incorrecte ; pour merge-copy, 3 quand la fusion demande votre avis (sujets modifiés des deux côtés). En cas d&apos;erreur, un message est écrit sur la sortie d&apos;erreur et aucun fichier n&apos;est écrit.</source>
        <translation>0 when the command succeeded (search: at least one subject found; export: every document copied; check: no missing or unreadable document; relink: every missing document found; suggest and inbox: every file read). 1 otherwise, or on an error; for search and find, 1 when nothing is found and 2 on a wrong input; for merge-copy, 3 when the merge needs your say (subjects changed on both sides). On an error, a message is written on the standard error and no file is written.</translation>
    </message>
    <message>
        <source>Propose pour chaque fichier jusqu&apos;à trois sujets du livre où le ranger, appris des documents déjà rangés (leur texte, tel que le cache des textes le garde) et de l&apos;intitulé, du titre général et de l&apos;attendu de chaque sujet : un même numéro de contrat, de client ou de dossier compte le plus, puis les mots, l&apos;année, un même IBAN, SIRET ou domaine d&apos;adresse e-mail. Écrit une ligne par fichier : fichier, tabulation, premier choix (titre général/intitulé, ou « nouveau sujet » quand aucun sujet n&apos;est assez sûr), tabulation, son score de 0 à 1 (celui du meilleur sujet pour « nouveau sujet »). Un fichier illisible est écrit « illisible », avec la raison sur la sortie d&apos;erreur.</source>
        <translation>Proposes for each file up to three subjects of the book to file it under, learnt from the documents already filed (their text, as the text cache keeps it) and from each subject&apos;s name, general title and expected text: the same contract, customer or file number counts most, then the words, the year, the same IBAN, SIRET or e-mail domain. Writes one line per file: the file, a tab, the first choice (general title/subject, or &quot;new subject&quot; when no subject is sure enough), a tab, its score from 0 to 1 (the best subject&apos;s for &quot;new subject&quot;). An unreadable file is written &quot;unreadable&quot;, with the reason on the standard error.</translation>
    </message>
    <message>
        <source>scan --device SCANNER FICHIER.pdf [--source SOURCE] [--resolution N] [--mode MODE] [--keep-blank] | scan --list [--device SCANNER]</source>
        <translation>scan --device SCANNER FILE.pdf [--source SOURCE] [--resolution N] [--mode MODE] [--keep-blank] | scan --list [--device SCANNER]</translation>
    </message>
    <message>
        <source>scan --device SCANNER FICHIER.pdf</source>
        <translation>scan --device SCANNER FILE.pdf</translation>
    </message>
    <message>
        <source>Numérise avec SANE dans un nouveau PDF où l&apos;on peut chercher : une page depuis la vitre, ou toutes les pages du chargeur jusqu&apos;à ce qu&apos;il soit vide ; les pages blanches sont écartées, le texte de chaque page est reconnu (français et anglais) et posé sous son image. Un bourrage, un capot ouvert ou un scanner qui ne répond plus arrêtent la numérisation avec un message, et les pages déjà numérisées sont écrites (code de sortie 1), comme après Ctrl-C. Un fichier existant n&apos;est jamais remplacé. Avec --list, écrit les scanners trouvés (nom, modèle, type, séparés par des tabulations), ou avec --device ce que le scanner propose.</source>
        <translation>Scans with SANE into a new searchable PDF: one page from the glass, or every page of the feeder until it is empty; blank pages are left out, the text of each page is recognised (French and English) and laid under its image. A jam, an open cover or a scanner that stops answering end the scan with a message, and the pages already scanned are written (exit status 1), as after Ctrl-C. An existing file is never replaced. With --list, prints the scanners found (name, model, type, separated by tabs), or with --device what the scanner offers.</translation>
    </message>
    <message>
        <source>--device SCANNER</source>
        <translation>--device SCANNER</translation>
    </message>
    <message>
        <source>Pour scan : le scanner, sous le nom que donne scan --list (test:0, airscan:e0:...).</source>
        <translation>For scan: the scanner, by the name scan --list gives (test:0, airscan:e0:...).</translation>
    </message>
    <message>
        <source>--source SOURCE</source>
        <translation>--source SOURCE</translation>
    </message>
    <message>
        <source>Pour scan : la vitre ou le chargeur (recto, recto verso), sous le nom que leur donne le scanner. Par défaut, celle qu&apos;il a choisie.</source>
        <translation>For scan: the glass or the feeder (one side, both sides), by the name the scanner gives them. By default, the one it has chosen.</translation>
    </message>
    <message>
        <source>--resolution N</source>
        <translation>--resolution N</translation>
    </message>
    <message>
        <source>Pour scan : la résolution en points par pouce (300 par défaut quand le scanner la propose).</source>
        <translation>For scan: the resolution in dots per inch (300 by default when the scanner offers it).</translation>
    </message>
    <message>
        <source>--mode MODE</source>
        <translation>--mode MODE</translation>
    </message>
    <message>
        <source>Pour scan : le mode de couleur (Lineart, Gray, Color...), sous le nom que lui donne le scanner.</source>
        <translation>For scan: the colour mode (Lineart, Gray, Color...), by the name the scanner gives it.</translation>
    </message>
    <message>
        <source>--keep-blank</source>
        <translation>--keep-blank</translation>
    </message>
    <message>
        <source>Pour scan : garde aussi les pages blanches.</source>
        <translation>For scan: keeps blank pages too.</translation>
    </message>
    <message>
        <source>--list</source>
        <translation>--list</translation>
    </message>
    <message>
        <source>Pour scan : liste les scanners, ou ce que propose celui de --device.</source>
        <translation>For scan: lists the scanners, or what the one of --device offers.</translation>
    </message>
</context>
<context>
    <name>Merge</name>
    <message>
        <source>——— version de l&apos;autre côté ———</source>
        <translation>——— the other side&apos;s version ———</translation>
    </message>
</context>
<context>
    <name>Preview</name>
    <message>
        <source>son dossier ne répond pas</source>
        <translation>its folder does not answer</translation>
    </message>
</context>
<context>
    <name>Scan</name>
    <message>
        <source>le scanner a envoyé une image incohérente</source>
        <translation>the scanner sent an inconsistent image</translation>
    </message>
    <message>
        <source>la mémoire manque pour garder la page</source>
        <translation>there is not enough memory to keep the page</translation>
    </message>
    <message>
        <source>La page déjà numérisée est dans « %1 ».</source>
        <translation>The page already scanned is in &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>Les %1 pages déjà numérisées sont dans « %2 ».</source>
        <translation>The %1 pages already scanned are in &quot;%2&quot;.</translation>
    </message>
    <message>
        <source>Aucun PDF n&apos;a été écrit.</source>
        <translation>No PDF was written.</translation>
    </message>
    <message>
        <source>Toutes les pages numérisées étaient blanches : aucun PDF n&apos;a été écrit.</source>
        <translation>All the scanned pages were blank: no PDF was written.</translation>
    </message>
    <message>
        <source>La numérisation a été arrêtée.</source>
        <translation>The scan was stopped.</translation>
    </message>
    <message>
        <source>Le papier est coincé dans le chargeur du scanner.</source>
        <translation>The paper is jammed in the scanner&apos;s feeder.</translation>
    </message>
    <message>
        <source>Le capot du scanner est ouvert.</source>
        <translation>The scanner&apos;s cover is open.</translation>
    </message>
    <message>
        <source>Le chargeur du scanner est vide.</source>
        <translation>The scanner&apos;s feeder is empty.</translation>
    </message>
    <message>
        <source>Le scanner ne répond plus : il a peut-être été débranché ou éteint.</source>
        <translation>The scanner no longer answers: it may have been unplugged or switched off.</translation>
    </message>
    <message>
        <source>Le scanner est occupé, peut-être par un autre programme.</source>
        <translation>The scanner is busy, perhaps with another program.</translation>
    </message>
    <message>
        <source>La mémoire manque pour numériser.</source>
        <translation>There is not enough memory to scan.</translation>
    </message>
    <message>
        <source>L&apos;accès au scanner est refusé.</source>
        <translation>Access to the scanner is denied.</translation>
    </message>
    <message>
        <source>Le scanner a signalé une erreur (%1).</source>
        <translation>The scanner reported an error (%1).</translation>
    </message>
    <message>
        <source>Le scanner n&apos;a pas d&apos;option « %1 ».</source>
        <translation>The scanner has no option &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>L&apos;option « %1 » du scanner ne peut pas être changée maintenant.</source>
        <translation>The scanner&apos;s option &quot;%1&quot; cannot be changed now.</translation>
    </message>
    <message>
        <source>Le scanner refuse « %1 » pour l&apos;option « %2 » (%3).</source>
        <translation>The scanner refuses &quot;%1&quot; for the option &quot;%2&quot; (%3).</translation>
    </message>
    <message>
        <source>La page est trop grande pour être gardée en mémoire : choisissez une résolution plus basse.</source>
        <translation>The page is too large to be kept in memory: choose a lower resolution.</translation>
    </message>
    <message>
        <source>Le scanner envoie les images dans une forme que Tavelo ne connaît pas.</source>
        <translation>The scanner sends its images in a form Tavelo does not know.</translation>
    </message>
    <message>
        <source>La page n&apos;a pas pu être lue : %1.</source>
        <translation>The page could not be read: %1.</translation>
    </message>
    <message>
        <source>de %1 à %2</source>
        <translation>from %1 to %2</translation>
    </message>
    <message>
        <source>yes ou no</source>
        <translation>yes or no</translation>
    </message>
    <message>
        <source>valeur incorrecte</source>
        <translation>wrong value</translation>
    </message>
    <message>
        <source>valeurs possibles : %1</source>
        <translation>possible values: %1</translation>
    </message>
    <message>
        <source>Les scanners sont inaccessibles : SANE n&apos;a pas pu démarrer (%1).</source>
        <translation>The scanners cannot be reached: SANE could not start (%1).</translation>
    </message>
    <message>
        <source>Les scanners sont inaccessibles : SANE n&apos;a pas pu démarrer.</source>
        <translation>The scanners cannot be reached: SANE could not start.</translation>
    </message>
    <message>
        <source>Impossible de chercher les scanners : %1</source>
        <translation>The scanners cannot be looked for: %1</translation>
    </message>
    <message>
        <source>Le scanner « %1 » est introuvable.</source>
        <translation>The scanner &quot;%1&quot; cannot be found.</translation>
    </message>
    <message>
        <source>Le scanner « %1 » ne peut pas être ouvert : %2</source>
        <translation>The scanner &quot;%1&quot; cannot be opened: %2</translation>
    </message>
    <message>
        <source>Impossible d&apos;écrire le PDF « %1 ».</source>
        <translation>The PDF &quot;%1&quot; cannot be written.</translation>
    </message>
    <message>
        <source>Impossible d&apos;écrire le PDF « %1 » : %2.</source>
        <translation>The PDF &quot;%1&quot; cannot be written: %2.</translation>
    </message>
    <message>
        <source>Le fichier « %1 » existe déjà.</source>
        <translation>The file &quot;%1&quot; already exists.</translation>
    </message>
    <message>
        <source>La reconnaissance du texte est indisponible : les langues française et anglaise de Tesseract ne sont pas installées.</source>
        <translation>Text recognition is not available: Tesseract&apos;s French and English languages are not installed.</translation>
    </message>
    <message>
        <source>Le fichier pdf.ttf de Tesseract manque dans « %1 ».</source>
        <translation>Tesseract&apos;s file pdf.ttf is missing from &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>La page est trop grande pour la reconnaissance du texte : choisissez une résolution plus basse.</source>
        <translation>The page is too large for text recognition: choose a lower resolution.</translation>
    </message>
    <message>
        <source>Aucune page à écrire dans le PDF.</source>
        <translation>No page to write into the PDF.</translation>
    </message>
    <message>
        <source>Le scanner ne s&apos;est pas arrêté : débranchez-le, rebranchez-le et relancez Tavelo avant de numériser à nouveau.</source>
        <translation>The scanner did not stop: unplug it, plug it in again and restart Tavelo before scanning again.</translation>
    </message>
</context>
<context>
    <name>Search</name>
    <message>
        <source>Impossible de lire le document « %1 » : %2.</source>
        <translation>The document &quot;%1&quot; cannot be read: %2.</translation>
    </message>
    <message>
        <source>ce n&apos;est pas un fichier ordinaire</source>
        <translation>it is not a regular file</translation>
    </message>
    <message>
        <source>la mémoire manque pour le lire</source>
        <translation>there is not enough memory to read it</translation>
    </message>
    <message>
        <source>l&apos;expression recherchée est trop complexe pour ce document</source>
        <translation>the searched expression is too complex for this document</translation>
    </message>
    <message>
        <source>le fichier est vide</source>
        <translation>the file is empty</translation>
    </message>
    <message>
        <source>ce n&apos;est pas un document Office 97-2003 valide</source>
        <translation>it is not a valid Office 97-2003 document</translation>
    </message>
    <message>
        <source>ce n&apos;est pas un document PDF lisible</source>
        <translation>it is not a readable PDF document</translation>
    </message>
    <message>
        <source>le document est protégé par un mot de passe</source>
        <translation>the document is protected by a password</translation>
    </message>
    <message>
        <source>une parenthèse n&apos;est pas appariée</source>
        <translation>a parenthesis is not matched</translation>
    </message>
    <message>
        <source>un crochet n&apos;est pas fermé</source>
        <translation>a bracket is not closed</translation>
    </message>
    <message>
        <source>une répétition ne porte sur rien</source>
        <translation>a repetition applies to nothing</translation>
    </message>
    <message>
        <source>une barre oblique inverse est mal placée</source>
        <translation>a backslash is misplaced</translation>
    </message>
    <message>
        <source>des accolades sont mal formées</source>
        <translation>braces are malformed</translation>
    </message>
    <message>
        <source>un nombre de répétitions entre accolades est invalide</source>
        <translation>a repetition count in braces is invalid</translation>
    </message>
    <message>
        <source>un intervalle entre crochets est invalide</source>
        <translation>a range in brackets is invalid</translation>
    </message>
    <message>
        <source>un nom de classe de caractères est inconnu</source>
        <translation>a character class name is unknown</translation>
    </message>
    <message>
        <source>un nom d&apos;élément entre crochets est inconnu</source>
        <translation>an element name in brackets is unknown</translation>
    </message>
    <message>
        <source>une référence arrière ne renvoie à aucun groupe</source>
        <translation>a back-reference refers to no group</translation>
    </message>
    <message>
        <source>l&apos;expression est trop complexe</source>
        <translation>the expression is too complex</translation>
    </message>
    <message>
        <source>l&apos;expression est mal formée</source>
        <translation>the expression is malformed</translation>
    </message>
    <message>
        <source>Le mot « %1 » ne peut pas être recherché : %2.</source>
        <translation>The word &quot;%1&quot; cannot be searched for: %2.</translation>
    </message>
    <message>
        <source>Recherche dans le fichier : </source>
        <translation>Searching the file: </translation>
    </message>
    <message>
        <source>Aucun sujet ne correspond aux critères</source>
        <translation>No subject matches the criteria</translation>
    </message>
    <message>
        <source>Un document n&apos;a pas pu être lu pendant la recherche :
</source>
        <translation>One document could not be read during the search:
</translation>
    </message>
    <message>
        <source>%1 documents n&apos;ont pas pu être lus pendant la recherche :
</source>
        <translation>%1 documents could not be read during the search:
</translation>
    </message>
    <message>
        <source>le fichier n&apos;existe pas ou ne peut pas être ouvert</source>
        <translation>the file does not exist or cannot be opened</translation>
    </message>
    <message>
        <source>ce n&apos;est pas un classeur Excel 97-2003 valide</source>
        <translation>it is not a valid Excel 97-2003 workbook</translation>
    </message>
    <message>
        <source>son jeu de caractères n&apos;est pas pris en charge</source>
        <translation>its character set is not supported</translation>
    </message>
    <message>
        <source>le classeur est endommagé</source>
        <translation>the workbook is damaged</translation>
    </message>
    <message>
        <source>le classeur est protégé par un mot de passe</source>
        <translation>the workbook is protected by a password</translation>
    </message>
    <message>
        <source>une feuille du classeur est endommagée</source>
        <translation>a sheet of the workbook is damaged</translation>
    </message>
    <message>
        <source>sa lecture a donné une réponse incohérente</source>
        <translation>reading it gave an incoherent answer</translation>
    </message>
    <message>
        <source>l&apos;en-tête du document Word est endommagé</source>
        <translation>the header of the Word document is damaged</translation>
    </message>
    <message>
        <source>les documents antérieurs à Word 97 ne sont pas pris en charge</source>
        <translation>documents older than Word 97 are not supported</translation>
    </message>
    <message>
        <source>la table des fragments du document est endommagée</source>
        <translation>the document&apos;s piece table is damaged</translation>
    </message>
    <message>
        <source>le document est trop volumineux</source>
        <translation>the document is too large</translation>
    </message>
    <message>
        <source>un fragment de texte sort du document</source>
        <translation>a piece of text lies outside the document</translation>
    </message>
    <message>
        <source>ce n&apos;est pas un document Word</source>
        <translation>it is not a Word document</translation>
    </message>
    <message>
        <source>la table du document Word est absente</source>
        <translation>the table stream of the Word document is missing</translation>
    </message>
    <message>
        <source>la mémoire manque</source>
        <translation>there is not enough memory</translation>
    </message>
    <message>
        <source>son texte dépasse 32 Mio</source>
        <translation>its text is larger than 32 MiB</translation>
    </message>
    <message>
        <source>ce genre de document n&apos;est pas lu</source>
        <translation>this kind of document is not read</translation>
    </message>
    <message>
        <source>le document est endommagé</source>
        <translation>the document is damaged</translation>
    </message>
    <message>
        <source>trop long à lire</source>
        <translation>too long to read</translation>
    </message>
    <message>
        <source>trop de mémoire</source>
        <translation>too much memory</translation>
    </message>
    <message>
        <source>le programme de lecture s&apos;est arrêté en le lisant</source>
        <translation>the reader program stopped while reading it</translation>
    </message>
    <message>
        <source>le cache des textes des documents n&apos;est pas disponible</source>
        <translation>the text cache of the documents is not available</translation>
    </message>
    <message>
        <source>il est occupé par un autre programme</source>
        <translation>it is busy with another program</translation>
    </message>
    <message>
        <source>le programme de lecture des documents n&apos;a pas pu être utilisé</source>
        <translation>the document reader program could not be used</translation>
    </message>
    <message>
        <source>Reconnaissance du texte : </source>
        <translation>Recognising the text: </translation>
    </message>
    <message>
        <source>, page %1 sur %2</source>
        <translation>, page %1 of %2</translation>
    </message>
    <message>
        <source>sans extension (%1)</source>
        <translation>without extension (%1)</translation>
    </message>
    <message>
        <source>Un document n&apos;a pas été examiné, son genre n&apos;est pas lu : </source>
        <translation>One document was not examined, its kind is not read: </translation>
    </message>
    <message>
        <source>%1 documents n&apos;ont pas été examinés, leur genre n&apos;est pas lu : </source>
        <translation>%1 documents were not examined, their kind is not read: </translation>
    </message>
    <message>
        <source>… et un autre document.
</source>
        <translation>… and one more document.
</translation>
    </message>
    <message>
        <source>… et %1 autres documents.
</source>
        <translation>… and %1 more documents.
</translation>
    </message>
    <message>
        <source>le programme de lecture des documents (%1) est introuvable</source>
        <translation>the document reader program (%1) cannot be found</translation>
    </message>
    <message>
        <source>le système refuse de lancer le programme de lecture : %1</source>
        <translation>the system refuses to start the reader program: %1</translation>
    </message>
    <message>
        <source>le programme de lecture des documents (%1) ne peut pas être lancé : %2</source>
        <translation>the document reader program (%1) cannot be started: %2</translation>
    </message>
    <message>
        <source>le programme de lecture des documents (%1) ne répond pas comme attendu ; il ne correspond sans doute pas à cette version de Tavelo</source>
        <translation>the document reader program (%1) does not answer as expected; it probably does not match this version of Tavelo</translation>
    </message>
    <message>
        <source>le programme de lecture des documents (%1) s&apos;arrête dès son lancement</source>
        <translation>the document reader program (%1) stops as soon as it starts</translation>
    </message>
    <message>
        <source>Le cache des textes des documents n&apos;a pas d&apos;emplacement (ni XDG_CACHE_HOME ni HOME) : les documents seront lus à chaque recherche.</source>
        <translation>The text cache of the documents has no place (neither XDG_CACHE_HOME nor HOME): the documents will be read at every search.</translation>
    </message>
    <message>
        <source>Le dossier du cache des textes des documents (%1) ne peut pas être créé : %2. Les documents seront lus à chaque recherche.</source>
        <translation>The folder of the text cache (%1) cannot be created: %2. The documents will be read at every search.</translation>
    </message>
    <message>
        <source>Le cache des textes des documents (%1) était endommagé : il a été recréé.</source>
        <translation>The text cache of the documents (%1) was damaged: it has been made again.</translation>
    </message>
    <message>
        <source>Le cache des textes des documents est occupé par un autre programme : cette recherche lit les documents eux-mêmes.</source>
        <translation>The text cache of the documents is busy with another program: this search reads the documents themselves.</translation>
    </message>
    <message>
        <source>Le cache des textes des documents (%1) ne peut pas être utilisé (%2) : les documents seront lus à chaque recherche.</source>
        <translation>The text cache of the documents (%1) cannot be used (%2): the documents will be read at every search.</translation>
    </message>
    <message>
        <source>Le cache des textes des documents est occupé par un autre programme : une partie des documents a été lue à nouveau.</source>
        <translation>The text cache of the documents is busy with another program: some of the documents were read again.</translation>
    </message>
    <message>
        <source>Le cache des textes des documents (%1) est endommagé : il sera recréé à la prochaine recherche.</source>
        <translation>The text cache of the documents (%1) is damaged: it will be made again at the next search.</translation>
    </message>
    <message>
        <source>Le disque du cache des textes des documents (%1) est plein : les documents seront lus à chaque recherche.</source>
        <translation>The disk of the text cache (%1) is full: the documents will be read at every search.</translation>
    </message>
    <message>
        <source>Le cache des textes des documents ne peut pas être %1 (%2) : les documents seront lus à chaque recherche.</source>
        <translation>The text cache of the documents cannot be %1 (%2): the documents will be read at every search.</translation>
    </message>
    <message>
        <source>ouvert</source>
        <translation>opened</translation>
    </message>
    <message>
        <source>lu</source>
        <translation>read</translation>
    </message>
    <message>
        <source>écrit</source>
        <translation>written</translation>
    </message>
    <message>
        <source>Les documents autres que le texte brut n&apos;ont pas pu être lus : %1.</source>
        <translation>The documents other than plain text could not be read: %1.</translation>
    </message>
    <message>
        <source>la page imbrique ses éléments trop profondément</source>
        <translation>the page nests its elements too deeply</translation>
    </message>
    <message>
        <source>la page est trop volumineuse</source>
        <translation>the page is too large</translation>
    </message>
    <message>
        <source>la page ne peut pas être lue</source>
        <translation>the page cannot be read</translation>
    </message>
    <message>
        <source>le message a trop de parties</source>
        <translation>the message has too many parts</translation>
    </message>
    <message>
        <source>le message a trop de lignes d&apos;en-tête</source>
        <translation>the message has too many header lines</translation>
    </message>
    <message>
        <source>le message est trop volumineux</source>
        <translation>the message is too large</translation>
    </message>
    <message>
        <source>ce n&apos;est pas un message électronique lisible</source>
        <translation>it is not a readable e-mail</translation>
    </message>
    <message>
        <source>les pièces du message sont imbriquées trop profondément</source>
        <translation>the parts of the message are nested too deeply</translation>
    </message>
    <message>
        <source>le document contient trop de fichiers internes</source>
        <translation>the document holds too many inner files</translation>
    </message>
    <message>
        <source>ce n&apos;est pas un document Office Open XML valide</source>
        <translation>it is not a valid Office Open XML document</translation>
    </message>
    <message>
        <source>ce n&apos;est pas un document OpenDocument valide</source>
        <translation>it is not a valid OpenDocument document</translation>
    </message>
    <message>
        <source>le document utilise une compression non prise en charge</source>
        <translation>the document uses an unsupported compression</translation>
    </message>
    <message>
        <source>le document est incomplet</source>
        <translation>the document is incomplete</translation>
    </message>
    <message>
        <source>le document décompressé dépasse 256 Mio</source>
        <translation>the unpacked document exceeds 256 MiB</translation>
    </message>
    <message>
        <source>la structure du document est trop profonde</source>
        <translation>the document&apos;s structure is too deep</translation>
    </message>
    <message>
        <source>ce n&apos;est pas une image PNG, JPEG ou TIFF</source>
        <translation>it is not a PNG, JPEG or TIFF image</translation>
    </message>
    <message>
        <source>l&apos;en-tête de l&apos;image est endommagé</source>
        <translation>the image&apos;s header is damaged</translation>
    </message>
    <message>
        <source>l&apos;image a plus de 1000 pages</source>
        <translation>the image has more than 1000 pages</translation>
    </message>
    <message>
        <source>l&apos;image est trop grande pour être lue</source>
        <translation>the image is too large to be read</translation>
    </message>
    <message>
        <source>une page de l&apos;image est endommagée</source>
        <translation>a page of the image is damaged</translation>
    </message>
    <message>
        <source>l&apos;image est endommagée</source>
        <translation>the image is damaged</translation>
    </message>
    <message>
        <source>la mémoire manque pour reconnaître le texte</source>
        <translation>there is not enough memory to recognise the text</translation>
    </message>
    <message>
        <source>la reconnaissance du texte a échoué</source>
        <translation>the text recognition failed</translation>
    </message>
    <message>
        <source>la reconnaissance du texte est indisponible (les langues française et anglaise de Tesseract ne sont pas installées)</source>
        <translation>text recognition is unavailable (Tesseract&apos;s French and English languages are not installed)</translation>
    </message>
    <message>
        <source>il a plus de 1000 pages à reconnaître</source>
        <translation>it has more than 1000 pages to recognise</translation>
    </message>
    <message>
        <source>une page ne peut pas être affichée pour en reconnaître le texte</source>
        <translation>a page cannot be drawn to recognise its text</translation>
    </message>
    <message>
        <source>%1 : %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>La recherche ne contient aucun mot à trouver.</source>
        <translation>The search holds no word to find.</translation>
    </message>
    <message>
        <source>Un guillemet n&apos;est pas refermé : fermez la phrase cherchée par un second guillemet, ou retirez le premier.</source>
        <translation>A quote is not closed: end the phrase with a second quote, or remove the first one.</translation>
    </message>
    <message>
        <source>La recherche compte trop de mots : %1 au plus.</source>
        <translation>The search has too many words: %1 at most.</translation>
    </message>
    <message>
        <source>il n&apos;a pas pu être transmis au programme de lecture</source>
        <translation>it could not be handed to the reader program</translation>
    </message>
    <message>
        <source>Le module %1 de Tavelo est introuvable : l&apos;installation est incomplète. Réinstallez Tavelo.</source>
        <translation>Tavelo&apos;s module %1 cannot be found: the installation is incomplete. Reinstall Tavelo.</translation>
    </message>
    <message>
        <source>Le module %1 de Tavelo ne peut pas être chargé (%2) : %3. Réinstallez Tavelo.</source>
        <translation>Tavelo&apos;s module %1 cannot be loaded (%2): %3. Reinstall Tavelo.</translation>
    </message>
    <message>
        <source>erreur inconnue</source>
        <translation>unknown error</translation>
    </message>
    <message>
        <source>ce n&apos;est pas le module de cette version de Tavelo</source>
        <translation>it is not the module of this version of Tavelo</translation>
    </message>
</context>
<context>
    <name>Tavelo</name>
    <message>
        <source>Choix du dossier</source>
        <translation>Choose a folder</translation>
    </message>
    <message>
        <source>&amp;Fichier</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Nouveau	Ctrl+N</source>
        <translation>&amp;New	Ctrl+N</translation>
    </message>
    <message>
        <source>&amp;Ouvrir...	Ctrl+O</source>
        <translation>&amp;Open...	Ctrl+O</translation>
    </message>
    <message>
        <source>&amp;Importer	Ctrl+I</source>
        <translation>&amp;Import	Ctrl+I</translation>
    </message>
    <message>
        <source>E&amp;xporter	Ctrl+X</source>
        <translation>E&amp;xport	Ctrl+X</translation>
    </message>
    <message>
        <source>&amp;Quitter</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>&amp;Affichage</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>&amp;Barre d&apos;outils</source>
        <translation>&amp;Toolbar</translation>
    </message>
    <message>
        <source>Barre d&apos;é&amp;tat</source>
        <translation>&amp;Status Bar</translation>
    </message>
    <message>
        <source>&amp;?</source>
        <translation>&amp;?</translation>
    </message>
    <message>
        <source>Livre d&apos;e&amp;xemple</source>
        <translation>&amp;Example book</translation>
    </message>
    <message>
        <source>&amp;A propos de Tavelo...</source>
        <translation>&amp;About Tavelo...</translation>
    </message>
    <message>
        <source>&amp;Nouveau document	Ctrl+N</source>
        <translation>&amp;New book	Ctrl+N</translation>
    </message>
    <message>
        <source>&amp;Ouvrir document	Ctrl+O</source>
        <translation>&amp;Open book	Ctrl+O</translation>
    </message>
    <message>
        <source>&amp;Fermer document</source>
        <translation>&amp;Close book</translation>
    </message>
    <message>
        <source>&amp;Enregistrer	Ctrl+S</source>
        <translation>&amp;Save	Ctrl+S</translation>
    </message>
    <message>
        <source>En&amp;registrer sous...</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <source>&amp;Fusionner	Ctrl+F</source>
        <translation>&amp;Merge	Ctrl+F</translation>
    </message>
    <message>
        <source>&amp;Edition</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>&amp;Copier le sujet</source>
        <translation>&amp;Copy the subject</translation>
    </message>
    <message>
        <source>&amp;Rechercher un sujet</source>
        <translation>&amp;Find a subject</translation>
    </message>
    <message>
        <source>&amp;Nouveau Sujet	Ctrl+A</source>
        <translation>&amp;New Subject	Ctrl+A</translation>
    </message>
    <message>
        <source>&amp;Supprimer le sujet	Ctrl+Sup</source>
        <translation>&amp;Delete the subject	Ctrl+Del</translation>
    </message>
    <message>
        <source>&amp;Renommer le sujet</source>
        <translation>&amp;Rename the subject</translation>
    </message>
    <message>
        <source>&amp;Clotûrer le sujet</source>
        <translation>&amp;Close the subject</translation>
    </message>
    <message>
        <source>&amp;Attendu</source>
        <translation>&amp;Expected</translation>
    </message>
    <message>
        <source>&amp;Mode de Navigation</source>
        <translation>&amp;Navigation Mode</translation>
    </message>
    <message>
        <source>Navigation Standard</source>
        <translation>Standard Navigation</translation>
    </message>
    <message>
        <source>Navigation par recherche</source>
        <translation>Search Navigation</translation>
    </message>
    <message>
        <source>&amp;Outils</source>
        <translation>&amp;Tools</translation>
    </message>
    <message>
        <source>&amp;Changement de dossier	Ctrl+D</source>
        <translation>&amp;Change of folder	Ctrl+D</translation>
    </message>
    <message>
        <source>Fe&amp;nêtre</source>
        <translation>&amp;Window</translation>
    </message>
    <message>
        <source>&amp;Nouvelle fenêtre</source>
        <translation>&amp;New Window</translation>
    </message>
    <message>
        <source>&amp;Cascade</source>
        <translation>&amp;Cascade</translation>
    </message>
    <message>
        <source>&amp;Mosaïque</source>
        <translation>&amp;Tile</translation>
    </message>
    <message>
        <source>&amp;Réorganiser les icônes</source>
        <translation>&amp;Arrange Icons</translation>
    </message>
    <message>
        <source>POP</source>
        <translation>POP</translation>
    </message>
    <message>
        <source>&amp;Supprimer un document	Suppr</source>
        <translation>&amp;Remove a document	Del</translation>
    </message>
    <message>
        <source>&amp;Modifier le chemin du document</source>
        <translation>&amp;Change the document path</translation>
    </message>
    <message>
        <source>&amp;Ajouter un document</source>
        <translation>&amp;Add a document</translation>
    </message>
    <message>
        <source>&amp;Supprimer le sujet</source>
        <translation>&amp;Delete the subject</translation>
    </message>
    <message>
        <source>A&amp;ttendu</source>
        <translation>E&amp;xpected</translation>
    </message>
    <message>
        <source>Ajoute un nouveau sujet</source>
        <translation>Adds a new subject</translation>
    </message>
    <message>
        <source>Nouveau sujet</source>
        <translation>New subject</translation>
    </message>
    <message>
        <source>Permet d&apos;ajouter un document</source>
        <translation>Adds a document</translation>
    </message>
    <message>
        <source>Ajoute un document</source>
        <translation>Adds a document</translation>
    </message>
    <message>
        <source>Permet d&apos;enlever un document</source>
        <translation>Removes a document</translation>
    </message>
    <message>
        <source>Enlève le document</source>
        <translation>Removes the document</translation>
    </message>
    <message>
        <source>Permet de supprimer ce sujet</source>
        <translation>Deletes this subject</translation>
    </message>
    <message>
        <source>Supprime ce sujet</source>
        <translation>Deletes this subject</translation>
    </message>
    <message>
        <source>Permet de cloturer le suivi de ce sujet </source>
        <translation>Closes the follow-up of this subject </translation>
    </message>
    <message>
        <source>Cloture le sujet</source>
        <translation>Closes the subject</translation>
    </message>
    <message>
        <source>Permet de modifier le chemin du document</source>
        <translation>Changes the path of the document</translation>
    </message>
    <message>
        <source>Modifie le chemin</source>
        <translation>Changes the path</translation>
    </message>
    <message>
        <source>Importe un nouveau document Tavelo avec tous ses fichiers associés</source>
        <translation>Imports a new Tavelo book with all its files</translation>
    </message>
    <message>
        <source>Importe</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>Exporte un nouveau document Tavelo avec ses fichiers associés</source>
        <translation>Exports a new Tavelo book with its files</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>Change de dossier à tous les documents du fichier Tavelo en cours</source>
        <translation>Moves every document of the current Tavelo book to another folder</translation>
    </message>
    <message>
        <source>Change de dossier</source>
        <translation>Change of folder</translation>
    </message>
    <message>
        <source>Permet de modifier le nom du sujet en cours</source>
        <translation>Changes the name of the current subject</translation>
    </message>
    <message>
        <source>Modifie le nom du sujet</source>
        <translation>Renames the subject</translation>
    </message>
    <message>
        <source>Permet de modifier l&apos;attendu du sujet en cours</source>
        <translation>Changes the expected text of the current subject</translation>
    </message>
    <message>
        <source>Modifie l&apos;attendu du sujet</source>
        <translation>Changes the expected text</translation>
    </message>
    <message>
        <source>Permet de passer au mode de navigation par défaut</source>
        <translation>Goes back to the default navigation mode</translation>
    </message>
    <message>
        <source>Passe en navigation par recherche</source>
        <translation>Goes to search navigation</translation>
    </message>
    <message>
        <source>Fusionne deux fichiers de type .tvo en un seul</source>
        <translation>Merges two .tvo files into one</translation>
    </message>
    <message>
        <source>Fusionne</source>
        <translation>Merge</translation>
    </message>
    <message>
        <source>Copie les documents du sujet spécifié dans un dossier</source>
        <translation>Copies the subject&apos;s documents into a folder</translation>
    </message>
    <message>
        <source>Copie le sujet spécifié</source>
        <translation>Copies the subject</translation>
    </message>
    <message>
        <source>Ouvre un petit livre d&apos;exemple avec ses documents</source>
        <translation>Opens a small example book with its documents</translation>
    </message>
    <message>
        <source>Livre d&apos;exemple</source>
        <translation>Example book</translation>
    </message>
    <message>
        <source>Crée un nouveau document Tavelo</source>
        <translation>Creates a new Tavelo book</translation>
    </message>
    <message>
        <source>Nouveau</source>
        <translation>New</translation>
    </message>
    <message>
        <source>Ouvre un document Tavelo existant</source>
        <translation>Opens an existing Tavelo book</translation>
    </message>
    <message>
        <source>Ouvrir</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Ferme le document actif</source>
        <translation>Closes the active book</translation>
    </message>
    <message>
        <source>Fermer</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Enregistre le document actif</source>
        <translation>Saves the active book</translation>
    </message>
    <message>
        <source>Enregistrer</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Enregistre le document actif sous un nouveau nom</source>
        <translation>Saves the active book under a new name</translation>
    </message>
    <message>
        <source>Enregistrer sous</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>Recherche le sujet spécifié</source>
        <translation>Finds subjects</translation>
    </message>
    <message>
        <source>Rechercher un sujet</source>
        <translation>Find a subject</translation>
    </message>
    <message>
        <source>Ouvre une nouvelle fenêtre pour le document actif</source>
        <translation>Opens another window on the active book</translation>
    </message>
    <message>
        <source>Nouvelle fenêtre</source>
        <translation>New Window</translation>
    </message>
    <message>
        <source>Réorganise les icônes en bas de la fenêtre</source>
        <translation>Arranges the icons at the bottom of the window</translation>
    </message>
    <message>
        <source>Réorganise les icônes</source>
        <translation>Arrange Icons</translation>
    </message>
    <message>
        <source>Réorganise les fenêtres en cascade</source>
        <translation>Arranges the windows in a cascade</translation>
    </message>
    <message>
        <source>Cascade</source>
        <translation>Cascade</translation>
    </message>
    <message>
        <source>Réorganise les fenêtres en une mosaïque</source>
        <translation>Arranges the windows as tiles</translation>
    </message>
    <message>
        <source>Mosaïque</source>
        <translation>Tile</translation>
    </message>
    <message>
        <source>Ferme l&apos;application ; propose d&apos;enregistrer les documents</source>
        <translation>Quits the application; offers to save the books</translation>
    </message>
    <message>
        <source>Quitter</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Affiche ou masque la barre d&apos;outils</source>
        <translation>Shows or hides the toolbar</translation>
    </message>
    <message>
        <source>Barre d&apos;outils</source>
        <translation>Toolbar</translation>
    </message>
    <message>
        <source>Affiche ou masque la barre d&apos;état</source>
        <translation>Shows or hides the status bar</translation>
    </message>
    <message>
        <source>Barre d&apos;état</source>
        <translation>Status Bar</translation>
    </message>
    <message>
        <source>Passe au volet de fenêtre suivant</source>
        <translation>Goes to the next pane of the window</translation>
    </message>
    <message>
        <source>Volet suivant</source>
        <translation>Next Pane</translation>
    </message>
    <message>
        <source>Revient au volet précédent</source>
        <translation>Goes back to the previous pane</translation>
    </message>
    <message>
        <source>Volet précédent</source>
        <translation>Previous Pane</translation>
    </message>
    <message>
        <source>Affiche des informations sur le programme</source>
        <translation>Shows information about the program</translation>
    </message>
    <message>
        <source>A propos de</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Ouvre ce document</source>
        <translation>Opens this book</translation>
    </message>
    <message>
        <source>Prêt</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>Mode Recherche</source>
        <translation>Search Mode</translation>
    </message>
    <message>
        <source>Mode Standard</source>
        <translation>Standard Mode</translation>
    </message>
    <message>
        <source>MAJ</source>
        <translation>CAP</translation>
    </message>
    <message>
        <source>NUM</source>
        <translation>NUM</translation>
    </message>
    <message>
        <source>DEF</source>
        <translation>SCRL</translation>
    </message>
    <message>
        <source>&amp;Sujets</source>
        <translation>&amp;Subjects</translation>
    </message>
    <message>
        <source>&amp;Ouvrir ce sujet</source>
        <translation>&amp;Reopen this subject</translation>
    </message>
    <message>
        <source>&amp;Cloturer ce sujet</source>
        <translation>&amp;Close this subject</translation>
    </message>
    <message>
        <source>&amp;Ouvrir le sujet</source>
        <translation>&amp;Reopen the subject</translation>
    </message>
    <message>
        <source>&amp;Cloturer le sujet</source>
        <translation>&amp;Close the subject</translation>
    </message>
    <message>
        <source>Fichier récent</source>
        <translation>Recent File</translation>
    </message>
    <message>
        <source>Fichiers Tavelo (*.tvo)</source>
        <translation>Tavelo files (*.tvo)</translation>
    </message>
    <message>
        <source>A propos de Tavelo</source>
        <translation>About Tavelo</translation>
    </message>
    <message>
        <source>Tavelo version 1.0.2.0</source>
        <translation>Tavelo version 1.0.2.0</translation>
    </message>
    <message>
        <source>Impossible de lire le livre &apos;%1&apos;.
%2</source>
        <translation>The book &apos;%1&apos; cannot be read.
%2</translation>
    </message>
    <message>
        <source>Impossible d&apos;enregistrer le livre &apos;%1&apos;.
%2</source>
        <translation>The book &apos;%1&apos; cannot be saved.
%2</translation>
    </message>
    <message>
        <source>Enregistrer les modifications de %1 ?</source>
        <translation>Save the changes to %1?</translation>
    </message>
    <message>
        <source>Ce document est déjà présent</source>
        <translation>This document is already there</translation>
    </message>
    <message>
        <source>Titre Général (Ex : EDF - Impôts etc...)</source>
        <translation>General Title (e.g. Electricity - Taxes etc...)</translation>
    </message>
    <message>
        <source>Intitulé du sujet</source>
        <translation>Subject name</translation>
    </message>
    <message>
        <source>Modification du nom du sujet sélectionné</source>
        <translation>Renaming the selected subject</translation>
    </message>
    <message>
        <source>Nom du sujet</source>
        <translation>Subject name</translation>
    </message>
    <message>
        <source>Modification du texte permettant de savoir ce qui est attendu pour clôturer le sujet</source>
        <translation>Editing the text that says what is expected before the subject can be closed</translation>
    </message>
    <message>
        <source>Texte renseignant l&apos;attente pour clôturer le sujet</source>
        <translation>Text saying what is awaited before the subject can be closed</translation>
    </message>
    <message>
        <source>Annuler</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Vous êtes sûr de supprimer ce sujet</source>
        <translation>Are you sure you want to delete this subject</translation>
    </message>
    <message>
        <source>Fichier (*.%1)</source>
        <translation>File (*.%1)</translation>
    </message>
    <message>
        <source>Fichier (*)</source>
        <translation>File (*)</translation>
    </message>
    <message>
        <source>Réservation de fichier</source>
        <translation>File reservation</translation>
    </message>
    <message>
        <source> est en modification</source>
        <translation> is being edited</translation>
    </message>
    <message>
        <source>Ouvrez en lecture seule ou cliquez sur Notifier pour être averti quand ce dernier sera disponible</source>
        <translation>Open it read-only, or click Notify to be told when it becomes available</translation>
    </message>
    <message>
        <source>&amp;Lecture seule</source>
        <translation>&amp;Read Only</translation>
    </message>
    <message>
        <source>&amp;Notifier</source>
        <translation>&amp;Notify</translation>
    </message>
    <message>
        <source>&amp;Annuler</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source> est maintenant disponible pour modification</source>
        <translation> is now available for editing</translation>
    </message>
    <message>
        <source>Ouvrez le fichier en lecture-écriture pour le modifier</source>
        <translation>Open the file read-write to edit it</translation>
    </message>
    <message>
        <source>Lecture-Ecriture</source>
        <translation>Read-Write</translation>
    </message>
    <message>
        <source>Les modifications de %1 seront perdues : le livre va être relu depuis son fichier. Continuer ?</source>
        <translation>The changes to %1 will be lost: the book is going to be read again from its file. Continue?</translation>
    </message>
    <message>
        <source>Mémoire insuffisante.</source>
        <translation>Not enough memory.</translation>
    </message>
    <message>
        <source>Aucun aperçu n&apos;est disponible pour le fichier « %1 ».</source>
        <translation>No preview is available for the file &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>Ouvrir avec l&apos;application associée</source>
        <translation>Open with the associated application</translation>
    </message>
    <message>
        <source>Aucune application ne sait ouvrir le fichier « %1 ».</source>
        <translation>No application can open the file &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>Le fichier « %1 » est introuvable.</source>
        <translation>The file &quot;%1&quot; cannot be found.</translation>
    </message>
    <message>
        <source>Le fichier « %1 » ne peut pas être affiché.
%2</source>
        <translation>The file &quot;%1&quot; cannot be shown.
%2</translation>
    </message>
    <message>
        <source>Impression de %1</source>
        <translation>Printing %1</translation>
    </message>
    <message>
        <source>clôturé</source>
        <translation>closed</translation>
    </message>
    <message>
        <source>en cours</source>
        <translation>open</translation>
    </message>
    <message>
        <source>L&apos;impression a échoué.</source>
        <translation>Printing failed.</translation>
    </message>
    <message>
        <source>Tous les fichiers (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>&amp;Oui</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>&amp;Non</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Aperçu impossible</source>
        <translation>No preview</translation>
    </message>
    <message>
        <source>Le fichier PDF est illisible ou protégé.</source>
        <translation>The PDF file is unreadable or protected.</translation>
    </message>
    <message>
        <source>Impossible de créer le livre d&apos;exemple dans le dossier temporaire.</source>
        <translation>The example book cannot be made in the temporary folder.</translation>
    </message>
    <message>
        <source>Rechercher</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>Rechercher :</source>
        <translation>Find:</translation>
    </message>
    <message>
        <source>Zone de recherche</source>
        <translation>Where to search</translation>
    </message>
    <message>
        <source>Titres des sujets</source>
        <translation>Subject names</translation>
    </message>
    <message>
        <source>Titre des documents</source>
        <translation>Document names</translation>
    </message>
    <message>
        <source>Attendus</source>
        <translation>Expected texts</translation>
    </message>
    <message>
        <source>Documents des sujets</source>
        <translation>Inside the documents</translation>
    </message>
    <message>
        <source>Mot entier uniquement</source>
        <translation>Whole word only</translation>
    </message>
    <message>
        <source>Respecter la casse</source>
        <translation>Match case</translation>
    </message>
    <message>
        <source>Etat de la recherche</source>
        <translation>Search progress</translation>
    </message>
    <message>
        <source>La recherche a été interrompue : %1</source>
        <translation>The search was interrupted: %1</translation>
    </message>
    <message>
        <source>Choix du fichier à fusionner</source>
        <translation>Choose the file to merge</translation>
    </message>
    <message>
        <source>Fichier (*.tvo)</source>
        <translation>File (*.tvo)</translation>
    </message>
    <message>
        <source>&amp;Vider le cache des textes</source>
        <translation>&amp;Empty the text cache</translation>
    </message>
    <message>
        <source>Oublie le texte des documents gardé pour la recherche ; ils seront relus à la prochaine recherche</source>
        <translation>Forgets the text of the documents kept for the search; they will be read again at the next search</translation>
    </message>
    <message>
        <source>Vide le cache des textes</source>
        <translation>Empties the text cache</translation>
    </message>
    <message>
        <source>Documents lus : %1 sur %2</source>
        <translation>Documents read: %1 of %2</translation>
    </message>
    <message>
        <source>, dont 1 jamais lu auparavant</source>
        <translation>, 1 of them never read before</translation>
    </message>
    <message>
        <source>, dont %1 jamais lus auparavant</source>
        <translation>, %1 of them never read before</translation>
    </message>
    <message>
        <source>Oublier le texte de tous les documents lus jusqu&apos;ici ? Ils seront relus à la prochaine recherche (les documents numérisés seront de nouveau reconnus, ce qui peut être long).</source>
        <translation>Forget the text of every document read so far? They will be read again at the next search (scanned documents will be recognised again, which can take long).</translation>
    </message>
    <message>
        <source>Le cache des textes des documents est vide.</source>
        <translation>The text cache of the documents is empty.</translation>
    </message>
    <message>
        <source>Impossible de vider le cache des textes des documents : %1.</source>
        <translation>The text cache of the documents cannot be emptied: %1.</translation>
    </message>
    <message>
        <source>Tavelo ne peut pas ouvrir sa fenêtre : aucun affichage ne répond (DISPLAY=%1).</source>
        <translation>Tavelo cannot open its window: no display answers (DISPLAY=%1).</translation>
    </message>
    <message>
        <source>Vérification de %1 documents…</source>
        <translation>Checking %1 documents…</translation>
    </message>
    <message>
        <source>Les %1 documents du livre sont présents et lisibles.</source>
        <translation>The %1 documents of the book are there and readable.</translation>
    </message>
    <message>
        <source>1 document absent ou illisible sur %1.</source>
        <translation>1 document missing or unreadable out of %1.</translation>
    </message>
    <message>
        <source>%1 documents absents ou illisibles sur %2.</source>
        <translation>%1 documents missing or unreadable out of %2.</translation>
    </message>
    <message>
        <source>Vérification arrêtée après %1 documents sur %2 ; absents ou illisibles : %3.</source>
        <translation>Check stopped after %1 documents out of %2; missing or unreadable: %3.</translation>
    </message>
    <message>
        <source>Arrêter</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Sujet</source>
        <translation>Subject</translation>
    </message>
    <message>
        <source>Document</source>
        <translation>Document</translation>
    </message>
    <message>
        <source>Raison</source>
        <translation>Reason</translation>
    </message>
    <message>
        <source>Vérification des documents</source>
        <translation>Document check</translation>
    </message>
    <message>
        <source>Aucun document du livre n&apos;est absent ou illisible.</source>
        <translation>No document of the book is missing or unreadable.</translation>
    </message>
    <message>
        <source>Aucun des %1 documents absents n&apos;a été retrouvé dans « %2 ».</source>
        <translation>None of the %1 missing documents was found in &quot;%2&quot;.</translation>
    </message>
    <message>
        <source>Vérification des documents du livre : %1 sur %2</source>
        <translation>Checking the documents of the book: %1 of %2</translation>
    </message>
    <message>
        <source>Parcours de « %1 » : %2 fichiers dans %3 dossiers</source>
        <translation>Looking through &quot;%1&quot;: %2 files in %3 folders</translation>
    </message>
    <message>
        <source>Documents absents retrouvés dans « %1 » : %2 sur %3. Cochez ceux à faire pointer vers le fichier retrouvé.</source>
        <translation>Missing documents found in &quot;%1&quot;: %2 of %3. Tick those to point to the file found.</translation>
    </message>
    <message>
        <source>1 document absent n&apos;a pas été retrouvé.</source>
        <translation>1 missing document was not found.</translation>
    </message>
    <message>
        <source>%1 documents absents n&apos;ont pas été retrouvés.</source>
        <translation>%1 missing documents were not found.</translation>
    </message>
    <message>
        <source>1 dossier n&apos;a pas pu être lu.</source>
        <translation>1 folder could not be read.</translation>
    </message>
    <message>
        <source>%1 dossiers n&apos;ont pas pu être lus.</source>
        <translation>%1 folders could not be read.</translation>
    </message>
    <message>
        <source>Tout cocher</source>
        <translation>Tick all</translation>
    </message>
    <message>
        <source>Tout décocher</source>
        <translation>Untick all</translation>
    </message>
    <message>
        <source>Document absent</source>
        <translation>Missing document</translation>
    </message>
    <message>
        <source>Fichier retrouvé</source>
        <translation>File found</translation>
    </message>
    <message>
        <source>Correspondance</source>
        <translation>Match</translation>
    </message>
    <message>
        <source>même nom et même taille</source>
        <translation>same name and size</translation>
    </message>
    <message>
        <source>même contenu</source>
        <translation>same content</translation>
    </message>
    <message>
        <source>même nom</source>
        <translation>same name</translation>
    </message>
    <message>
        <source>même nom, autre taille</source>
        <translation>same name, other size</translation>
    </message>
    <message>
        <source>Retrouver les documents déplacés</source>
        <translation>Find moved documents</translation>
    </message>
    <message>
        <source>&amp;Vérifier les documents</source>
        <translation>&amp;Check the documents</translation>
    </message>
    <message>
        <source>&amp;Retrouver les documents déplacés…</source>
        <translation>&amp;Find moved documents…</translation>
    </message>
    <message>
        <source>Liste les documents absents ou illisibles du livre</source>
        <translation>Lists the missing or unreadable documents of the book</translation>
    </message>
    <message>
        <source>Vérifie les documents</source>
        <translation>Checks the documents</translation>
    </message>
    <message>
        <source>Retrouve dans un dossier les documents qui ont été déplacés</source>
        <translation>Finds in a folder the documents that were moved</translation>
    </message>
    <message>
        <source>Retrouve les documents</source>
        <translation>Finds the documents</translation>
    </message>
    <message>
        <source>Nom</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Dossier</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>Taille</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>Modifié le</source>
        <translation>Modified</translation>
    </message>
    <message>
        <source>Document absent : %1</source>
        <translation>Missing document: %1</translation>
    </message>
    <message>
        <source>Document illisible : %1</source>
        <translation>Unreadable document: %1</translation>
    </message>
    <message>
        <source>Vérification en cours…</source>
        <translation>Being checked…</translation>
    </message>
    <message>
        <source>%1 octets</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>Ko</source>
        <translation>KB</translation>
    </message>
    <message>
        <source>Mo</source>
        <translation>MB</translation>
    </message>
    <message>
        <source>Go</source>
        <translation>GB</translation>
    </message>
    <message>
        <source>To</source>
        <translation>TB</translation>
    </message>
    <message>
        <source>Ordre du livre</source>
        <translation>Order of the book</translation>
    </message>
    <message>
        <source>Filtrer les sujets</source>
        <translation>Filter the subjects</translation>
    </message>
    <message>
        <source>Occurrence %1 sur %2</source>
        <translation>Match %1 of %2</translation>
    </message>
    <message>
        <source>Aucune occurrence de « %1 » dans ce document</source>
        <translation>No match for &quot;%1&quot; in this document</translation>
    </message>
    <message>
        <source>Page %1 sur %2 — occurrence %3 sur %4</source>
        <translation>Page %1 of %2 — match %3 of %4</translation>
    </message>
    <message>
        <source>Précédente</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>Suivante</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>Occurrence précédente (Maj+F3)</source>
        <translation>Previous match (Shift+F3)</translation>
    </message>
    <message>
        <source>Occurrence suivante (F3)</source>
        <translation>Next match (F3)</translation>
    </message>
    <message>
        <source>Texte lu dans « %1 »</source>
        <translation>Text read from &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Texte lu dans « %1 » (le début seulement)</source>
        <translation>Text read from &quot;%1&quot; (the beginning only)</translation>
    </message>
    <message>
        <source>Lecture du texte de « %1 »…</source>
        <translation>Reading the text of &quot;%1&quot;…</translation>
    </message>
    <message>
        <source>Le texte du fichier « %1 » ne peut pas être lu : %2.</source>
        <translation>The text of the file &quot;%1&quot; cannot be read: %2.</translation>
    </message>
    <message>
        <source>&amp;Suspendre la lecture des documents</source>
        <translation>&amp;Pause the reading of documents</translation>
    </message>
    <message>
        <source>Suspend ou reprend la lecture en arrière-plan des documents que la recherche rapide ne connaît pas encore</source>
        <translation>Pauses or resumes the background reading of the documents the quick search does not know yet</translation>
    </message>
    <message>
        <source>Suspend la lecture des documents</source>
        <translation>Pauses the reading of documents</translation>
    </message>
    <message>
        <source>Ignorer les accents</source>
        <translation>Ignore accents</translation>
    </message>
    <message>
        <source>Extrait</source>
        <translation>Extract</translation>
    </message>
    <message>
        <source>%1 occurrence(s)</source>
        <translation>%1 match(es)</translation>
    </message>
    <message>
        <source>%1 sujet(s) et %2 document(s) trouvés</source>
        <translation>%1 subject(s) and %2 document(s) found</translation>
    </message>
    <message>
        <source>Aucun sujet ne correspond à « %1 »</source>
        <translation>No subject matches &quot;%1&quot;</translation>
    </message>
    <message>
        <source>%1 document(s) pas encore lu(s) : seuls leurs noms ont été cherchés</source>
        <translation>%1 document(s) not read yet: only their names were searched</translation>
    </message>
    <message>
        <source>Lecture des documents : %1 sur %2</source>
        <translation>Reading the documents: %1 of %2</translation>
    </message>
    <message>
        <source>Tapez un mot à chercher ; un mot précédé de « - » ne fait qu&apos;écarter.</source>
        <translation>Type a word to find; a word after &quot;-&quot; only leaves out.</translation>
    </message>
    <message>
        <source>Rechercher dans tout le livre (Ctrl+K)</source>
        <translation>Search the whole book (Ctrl+K)</translation>
    </message>
    <message>
        <source>Déplacer le sujet</source>
        <translation>Move the subject</translation>
    </message>
    <message>
        <source>Titre général sous lequel ranger « %1 »</source>
        <translation>General title to file &quot;%1&quot; under</translation>
    </message>
    <message>
        <source>Renommer le titre général</source>
        <translation>Rename the general title</translation>
    </message>
    <message>
        <source>Nouveau nom du titre général « %1 »</source>
        <translation>New name of the general title &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Im&amp;primer…	Ctrl+P</source>
        <translation>&amp;Print…	Ctrl+P</translation>
    </message>
    <message>
        <source>Aperçu a&amp;vant impression</source>
        <translation>Print Pre&amp;view</translation>
    </message>
    <message>
        <source>Range le sujet en cours sous un autre titre général</source>
        <translation>Files the current subject under another general title</translation>
    </message>
    <message>
        <source>Déplace le sujet</source>
        <translation>Moves the subject</translation>
    </message>
    <message>
        <source>Renomme le titre général ; tous les sujets qu&apos;il regroupe le suivent</source>
        <translation>Renames the general title; every subject under it follows</translation>
    </message>
    <message>
        <source>Renomme le titre général</source>
        <translation>Renames the general title</translation>
    </message>
    <message>
        <source>Imprime l&apos;arbre des sujets</source>
        <translation>Prints the subject tree</translation>
    </message>
    <message>
        <source>Imprimer</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>Montre les pages que l&apos;impression donnera</source>
        <translation>Shows the pages printing will give</translation>
    </message>
    <message>
        <source>Aperçu avant impression</source>
        <translation>Print Preview</translation>
    </message>
    <message>
        <source>&amp;Déplacer vers un autre titre général…</source>
        <translation>&amp;Move to another general title…</translation>
    </message>
    <message>
        <source>Renommer le &amp;titre général…</source>
        <translation>Rename the &amp;general title…</translation>
    </message>
    <message>
        <source>Ce livre est ouvert en lecture seule : il ne peut pas être modifié ici.</source>
        <translation>This book is open read-only: it cannot be changed here.</translation>
    </message>
    <message>
        <source>Imprimer l&apos;attendu et les documents de chaque sujet</source>
        <translation>Print each subject&apos;s expected text and documents</translation>
    </message>
    <message>
        <source>Contenu</source>
        <translation>Contents</translation>
    </message>
    <message>
        <source>Livre enregistré : %1</source>
        <translation>Book saved: %1</translation>
    </message>
    <message>
        <source>Livre exporté dans %1</source>
        <translation>Book exported to %1</translation>
    </message>
    <message>
        <source>Livre exporté dans %1 : %2 document(s) non copié(s)</source>
        <translation>Book exported to %1: %2 document(s) not copied</translation>
    </message>
    <message>
        <source>Livre importé : %1</source>
        <translation>Book imported: %1</translation>
    </message>
    <message>
        <source>Aucun sujet ajouté</source>
        <translation>No subject added</translation>
    </message>
    <message>
        <source>1 sujet ajouté</source>
        <translation>1 subject added</translation>
    </message>
    <message>
        <source>%1 sujets ajoutés</source>
        <translation>%1 subjects added</translation>
    </message>
    <message>
        <source>Prendre la main</source>
        <translation>Take over</translation>
    </message>
    <message>
        <source>La copie</source>
        <translation>The copy</translation>
    </message>
    <message>
        <source>Plus tard</source>
        <translation>Later</translation>
    </message>
    <message>
        <source>« %1 » est une copie en conflit de ce livre, laissée par %2 quand deux postes l&apos;ont modifié chacun de son côté. Fusionner réunit les deux versions (la version commune est connue), enregistre le livre, puis met la copie à la corbeille.</source>
        <translation>&quot;%1&quot; is a conflict copy of this book, left by %2 when two computers changed it apart. Merge unites the two versions (their common version is known), saves the book, then moves the copy to the trash.</translation>
    </message>
    <message>
        <source>« %1 » est une copie en conflit de ce livre, laissée par %2 quand deux postes l&apos;ont modifié chacun de son côté. Leur version commune n&apos;est pas connue : Fusionner ajoute ce que la copie a de plus et ne supprime rien, enregistre le livre, puis met la copie à la corbeille.</source>
        <translation>&quot;%1&quot; is a conflict copy of this book, left by %2 when two computers changed it apart. Their common version is not known: Merge adds what the copy has more and removes nothing, saves the book, then moves the copy to the trash.</translation>
    </message>
    <message>
        <source>La copie en conflit « %1 » n&apos;est pas fusionnée : %2 Elle est laissée telle quelle.</source>
        <translation>The conflict copy &quot;%1&quot; is not merged: %2 It is left as it is.</translation>
    </message>
    <message>
        <source>Le livre est fusionné et enregistré, mais la copie « %1 » n&apos;a pas pu être mise à la corbeille : %2.</source>
        <translation>The book is merged and saved, but the copy &quot;%1&quot; could not be moved to the trash: %2.</translation>
    </message>
    <message>
        <source>Me prévenir</source>
        <translation>Notify me</translation>
    </message>
    <message>
        <source>Enregistrer une copie…</source>
        <translation>Save a copy…</translation>
    </message>
    <message>
        <source>Lecture seule : réservé par %1</source>
        <translation>Read-only: reserved by %1</translation>
    </message>
    <message>
        <source>Lecture seule : réservé par %1 sur le poste %2</source>
        <translation>Read-only: reserved by %1 on the computer %2</translation>
    </message>
    <message>
        <source>Lecture seule : %1</source>
        <translation>Read-only: %1</translation>
    </message>
    <message>
        <source>Livre rechargé : enregistré par %1 à %2</source>
        <translation>Book reloaded: saved by %1 at %2</translation>
    </message>
    <message>
        <source>Livre rechargé : enregistré à %1</source>
        <translation>Book reloaded: saved at %1</translation>
    </message>
    <message>
        <source>Le livre « %1 » vient d&apos;être enregistré ailleurs, alors que vous l&apos;avez modifié ici. Fusionner ses changements avec les vôtres ? (Rien n&apos;est écrit : vous pourrez enregistrer le tout sous un autre nom.)</source>
        <translation>The book &quot;%1&quot; was just saved elsewhere, while you changed it here. Merge its changes with yours? (Nothing is written: you can save the whole under another name.)</translation>
    </message>
    <message>
        <source>%1

Le livre est maintenant en lecture seule dans cette fenêtre ; vos modifications restent affichées.</source>
        <translation>%1

The book is now read-only in this window; your changes stay on screen.</translation>
    </message>
    <message>
        <source>Fusion de deux versions du livre</source>
        <translation>Merging two versions of the book</translation>
    </message>
    <message>
        <source>%1 — %2 : %3</source>
        <translation>%1 — %2: %3</translation>
    </message>
    <message>
        <source>ajouté</source>
        <translation>added</translation>
    </message>
    <message>
        <source>modifié</source>
        <translation>changed</translation>
    </message>
    <message>
        <source>supprimé</source>
        <translation>removed</translation>
    </message>
    <message>
        <source>modifié des deux côtés, réuni (documents des deux, attendus des deux)</source>
        <translation>changed on both sides, united (documents of both, expected texts of both)</translation>
    </message>
    <message>
        <source>supprimé d&apos;un côté mais modifié de l&apos;autre : gardé</source>
        <translation>removed on one side but changed on the other: kept</translation>
    </message>
    <message>
        <source>Des deux côtés</source>
        <translation>On both sides</translation>
    </message>
    <message>
        <source>Aucune différence.</source>
        <translation>No difference.</translation>
    </message>
    <message>
        <source>Ici</source>
        <translation>Here</translation>
    </message>
    <message>
        <source>Sur le disque</source>
        <translation>On disk</translation>
    </message>
    <message>
        <source>Ce livre</source>
        <translation>This book</translation>
    </message>
    <message>
        <source>L&apos;autre livre</source>
        <translation>The other book</translation>
    </message>
    <message>
        <source>Fusionner</source>
        <translation>Merge</translation>
    </message>
    <message>
        <source>Enregistrer une copie</source>
        <translation>Save a copy</translation>
    </message>
    <message>
        <source>Réunir</source>
        <translation>Unite</translation>
    </message>
    <message>
        <source>Ajouter en double</source>
        <translation>Add as duplicates</translation>
    </message>
    <message>
        <source>%1

Fusionner réunit vos modifications et celles du fichier (la version que vous aviez ouverte sert de base), puis enregistre. Enregistrer une copie garde les deux versions.</source>
        <translation>%1

Merge unites your changes and the file&apos;s (the version you had opened is the base), then saves. Save a copy keeps both versions.</translation>
    </message>
    <message>
        <source>%1

La version du disque ne peut pas être lue (%2) : enregistrez vos modifications sous un autre nom.</source>
        <translation>%1

The version on disk cannot be read (%2): save your changes under another name.</translation>
    </message>
    <message>
        <source>Le livre « %1 » a des sujets de même titre général et de même intitulé que ce livre. Réunir les fusionne (documents réunis dans l&apos;ordre, attendus gardés tous les deux quand ils diffèrent) ; Ajouter en double les ajoute à côté des sujets existants.</source>
        <translation>The book &quot;%1&quot; has subjects with the same general title and name as this book. Unite merges them (documents united in order, both expected texts kept when they differ); Add as duplicates adds them beside the existing subjects.</translation>
    </message>
    <message>
        <source>Boîte de réception</source>
        <translation>Inbox</translation>
    </message>
    <message>
        <source>Dossiers surveillés pour ce livre. Les fichiers qui y arrivent sont proposés au rangement, avec les sujets qui leur conviennent le mieux.</source>
        <translation>Folders watched for this book. The files that arrive there are offered for filing, with the subjects that suit them best.</translation>
    </message>
    <message>
        <source>&amp;Ajouter un dossier…</source>
        <translation>&amp;Add a folder…</translation>
    </message>
    <message>
        <source>&amp;Retirer</source>
        <translation>&amp;Remove</translation>
    </message>
    <message>
        <source>Dossier à surveiller</source>
        <translation>Folder to watch</translation>
    </message>
    <message>
        <source>N&amp;umériser…</source>
        <translation>Sc&amp;an…</translation>
    </message>
    <message>
        <source>&amp;Boîte de réception…</source>
        <translation>&amp;Inbox…</translation>
    </message>
    <message>
        <source>Choisit les dossiers dont les nouveaux fichiers sont proposés au rangement dans ce livre</source>
        <translation>Chooses the folders whose new files are offered for filing in this book</translation>
    </message>
    <message>
        <source>Numérise des pages en un PDF où l&apos;on peut chercher, dans la boîte de réception ou sous le sujet sélectionné</source>
        <translation>Scans pages into a searchable PDF, in the inbox or under the selected subject</translation>
    </message>
    <message>
        <source>Numériser</source>
        <translation>Scan</translation>
    </message>
    <message>
        <source>Scanner :</source>
        <translation>Scanner:</translation>
    </message>
    <message>
        <source>Source :</source>
        <translation>Source:</translation>
    </message>
    <message>
        <source>Résolution :</source>
        <translation>Resolution:</translation>
    </message>
    <message>
        <source>Couleurs :</source>
        <translation>Colours:</translation>
    </message>
    <message>
        <source>%1 ppp</source>
        <translation>%1 dpi</translation>
    </message>
    <message>
        <source>Supprimer les pages blanches</source>
        <translation>Remove blank pages</translation>
    </message>
    <message>
        <source>Enregistrer dans la boîte de réception</source>
        <translation>Save in the inbox</translation>
    </message>
    <message>
        <source>Ranger dans le sujet sélectionné</source>
        <translation>File under the selected subject</translation>
    </message>
    <message>
        <source>&amp;Numériser</source>
        <translation>&amp;Scan</translation>
    </message>
    <message>
        <source>&amp;Arrêter</source>
        <translation>S&amp;top</translation>
    </message>
    <message>
        <source>&amp;Fermer</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>Recherche des scanners…</source>
        <translation>Looking for scanners…</translation>
    </message>
    <message>
        <source>Aucun scanner n&apos;a été trouvé.</source>
        <translation>No scanner was found.</translation>
    </message>
    <message>
        <source>Ouverture du scanner…</source>
        <translation>Opening the scanner…</translation>
    </message>
    <message>
        <source>(celui du scanner)</source>
        <translation>(the scanner&apos;s own)</translation>
    </message>
    <message>
        <source>Page %1 : lecture…</source>
        <translation>Page %1: reading…</translation>
    </message>
    <message>
        <source>Page %1 : lecture… %2 %</source>
        <translation>Page %1: reading… %2 %</translation>
    </message>
    <message>
        <source>Page %1 : reconnaissance du texte…</source>
        <translation>Page %1: recognising the text…</translation>
    </message>
    <message>
        <source>Page %1 faite : %2 gardée(s), %3 blanche(s) retirée(s)</source>
        <translation>Page %1 done: %2 kept, %3 blank removed</translation>
    </message>
    <message>
        <source>Arrêt demandé…</source>
        <translation>Stopping…</translation>
    </message>
    <message>
        <source>%1 page(s) enregistrée(s) dans « %2 »</source>
        <translation>%1 page(s) saved in &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1 page(s) enregistrée(s) dans « %2 », %3 page(s) blanche(s) retirée(s)</source>
        <translation>%1 page(s) saved in &quot;%2&quot;, %3 blank page(s) removed</translation>
    </message>
    <message>
        <source>Aucune page n&apos;a été numérisée.</source>
        <translation>No page was scanned.</translation>
    </message>
    <message>
        <source>Dossier où enregistrer la numérisation</source>
        <translation>Folder to save the scan in</translation>
    </message>
    <message>
        <source>Le sujet n&apos;est plus dans le livre : la numérisation est restée dans « %1 ».</source>
        <translation>The subject is no longer in the book: the scan stayed in &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>« %1 » rangé sous %2</source>
        <translation>&quot;%1&quot; filed under %2</translation>
    </message>
    <message>
        <source>« %1 » n&apos;est plus dans la boîte de réception : rien n&apos;a été rangé.</source>
        <translation>&quot;%1&quot; is no longer in the inbox: nothing was filed.</translation>
    </message>
    <message>
        <source>« %1 » est déjà dans le livre : rien n&apos;a été rangé.</source>
        <translation>&quot;%1&quot; is already in the book: nothing was filed.</translation>
    </message>
    <message>
        <source>Ce sujet n&apos;est plus dans le livre : rien n&apos;a été rangé.</source>
        <translation>This subject is no longer in the book: nothing was filed.</translation>
    </message>
    <message>
        <source>Les dossiers de la boîte de réception ne répondent pas : la liste sera mise à jour dès qu&apos;ils répondront.</source>
        <translation>The inbox folders do not answer: the list will be brought up to date as soon as they do.</translation>
    </message>
    <message>
        <source>« %1 » change encore : il sera listé dès qu&apos;il ne changera plus.</source>
        <translation>&quot;%1&quot; is still changing: it will be listed once it stops.</translation>
    </message>
    <message>
        <source>le fichier est vide</source>
        <translation>the file is empty</translation>
    </message>
    <message>
        <source>le fichier est trop volumineux pour être lu (%1 Mo)</source>
        <translation>the file is too large to be read (%1 MB)</translation>
    </message>
    <message>
        <source>Ranger dans le dossier du sujet</source>
        <translation>File into the subject&apos;s folder</translation>
    </message>
    <message>
        <source>Nouveau sujet…</source>
        <translation>New subject…</translation>
    </message>
    <message>
        <source>Recherche des nouveaux fichiers…</source>
        <translation>Looking for new files…</translation>
    </message>
    <message>
        <source>Aucun nouveau fichier</source>
        <translation>No new file</translation>
    </message>
    <message>
        <source>%1 nouveau(x) fichier(s) ; Entrée range sous le premier sujet, 1 à 3 sous l&apos;un des trois</source>
        <translation>%1 new file(s); Enter files under the first subject, 1 to 3 under one of the three</translation>
    </message>
    <message>
        <source>%1 — illisible : %2</source>
        <translation>%1 — unreadable: %2</translation>
    </message>
    <message>
        <source>Un document du même nom est déjà sous %1.</source>
        <translation>A document of the same name is already under %1.</translation>
    </message>
    <message>
        <source>Le livre est en lecture seule : la numérisation est restée dans « %1 » sans être rangée.</source>
        <translation>The book is read-only: the scan stayed in &quot;%1&quot; without being filed.</translation>
    </message>
    <message>
        <source>Dossier de la boîte de réception</source>
        <translation>Inbox folder</translation>
    </message>
    <message>
        <source>Nouveau sujet…
aucun sujet ne convient assez</source>
        <translation>New subject…
no subject fits well enough</translation>
    </message>
    <message>
        <source>%1. %2 (%3 %)
%4</source>
        <translation>%1. %2 (%3 %)
%4</translation>
    </message>
    <message>
        <source>Rangé sous %1.</source>
        <translation>Filed under %1.</translation>
    </message>
    <message>
        <source>Le livre a changé entre-temps : « %1 » n&apos;a pas été rangé.</source>
        <translation>The book changed meanwhile: &quot;%1&quot; was not filed.</translation>
    </message>
    <message>
        <source>Fusionner vos modifications avec la version du livre qui est sur le disque ? (Rien n&apos;est écrit : vous pourrez enregistrer le tout sous un autre nom.)</source>
        <translation>Merge your changes with the version of the book on disk? (Nothing is written: you can save it all under another name.)</translation>
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
    <message>
        <source>sujet n° %1</source>
        <translation>subject no. %1</translation>
    </message>
    <message>
        <source>%1 : la clé « %2 » manque.</source>
        <translation>%1: the key &quot;%2&quot; is missing.</translation>
    </message>
    <message>
        <source>%1 : « %2 » doit être un texte.</source>
        <translation>%1: &quot;%2&quot; must be a text.</translation>
    </message>
    <message>
        <source>le document JSON doit être un objet.</source>
        <translation>the JSON document must be an object.</translation>
    </message>
    <message>
        <source>la clé « subjects » manque.</source>
        <translation>the key &quot;subjects&quot; is missing.</translation>
    </message>
    <message>
        <source>« subjects » doit être une liste.</source>
        <translation>&quot;subjects&quot; must be a list.</translation>
    </message>
    <message>
        <source>%1 : chaque sujet doit être un objet.</source>
        <translation>%1: each subject must be an object.</translation>
    </message>
    <message>
        <source>%1 : « state » doit être un nombre entier.</source>
        <translation>%1: &quot;state&quot; must be an integer.</translation>
    </message>
    <message>
        <source>%1 : « state » est hors des limites d&apos;un entier de 32 bits.</source>
        <translation>%1: &quot;state&quot; is out of the range of a 32-bit integer.</translation>
    </message>
    <message>
        <source>%1 : « documents » doit être une liste de chemins.</source>
        <translation>%1: &quot;documents&quot; must be a list of paths.</translation>
    </message>
    <message>
        <source>%1 : chaque document doit être un chemin (un texte).</source>
        <translation>%1: each document must be a path (a text).</translation>
    </message>
    <message>
        <source>Impossible d&apos;écrire sur la sortie standard.</source>
        <translation>Standard output cannot be written.</translation>
    </message>
    <message>
        <source>Impossible de lire le livre « %1 » : %2</source>
        <translation>The book &quot;%1&quot; cannot be read: %2</translation>
    </message>
    <message>
        <source>Le fichier JSON « %1 » est mal formé (octet %2).</source>
        <translation>The JSON file &quot;%1&quot; is malformed (byte %2).</translation>
    </message>
    <message>
        <source>Le livre « %1 » est ouvert en modification par une instance de Tavelo ; il n&apos;est pas remplacé.</source>
        <translation>The book &quot;%1&quot; is open for editing in an instance of Tavelo; it is not replaced.</translation>
    </message>
    <message>
        <source>Le fichier JSON « %1 » n&apos;a pas la forme d&apos;un livre : %2</source>
        <translation>The JSON file &quot;%1&quot; does not have the shape of a book: %2</translation>
    </message>
    <message>
        <source>Le fichier « %1 » existe déjà ; ajoutez --force pour le remplacer.</source>
        <translation>The file &quot;%1&quot; already exists; add --force to replace it.</translation>
    </message>
    <message>
        <source>Zone de recherche inconnue : « %1 » (attendu : names, expected, files, contents, séparés par des virgules).</source>
        <translation>Unknown search scope: &quot;%1&quot; (expected: names, expected, files, contents, separated by commas).</translation>
    </message>
    <message>
        <source>Option inconnue : %1</source>
        <translation>Unknown option: %1</translation>
    </message>
    <message>
        <source>Le mot à rechercher est vide.</source>
        <translation>The word to search for is empty.</translation>
    </message>
    <message>
        <source>Impossible de vider le cache des textes des documents : %1.</source>
        <translation>The text cache of the documents cannot be emptied: %1.</translation>
    </message>
    <message>
        <source>Le cache des textes des documents est vide.</source>
        <translation>The text cache of the documents is empty.</translation>
    </message>
    <message>
        <source>Dossier : %1</source>
        <translation>Folder: %1</translation>
    </message>
    <message>
        <source>Documents connus : %1</source>
        <translation>Known documents: %1</translation>
    </message>
    <message>
        <source>Textes gardés : %1 (%2)</source>
        <translation>Texts kept: %1 (%2)</translation>
    </message>
    <message>
        <source>Taille sur le disque : %1</source>
        <translation>Size on disk: %1</translation>
    </message>
    <message>
        <source>Taille maximale : %1</source>
        <translation>Largest size: %1</translation>
    </message>
    <message>
        <source>Valeur invalide : %1 (un nombre entier de 1 à %2 est attendu).</source>
        <translation>Invalid value: %1 (a whole number from 1 to %2 is expected).</translation>
    </message>
    <message>
        <source>Le dossier où exporter le livre n&apos;est pas indiqué (le nom de dossier est vide).</source>
        <translation>The folder to export the book to is not given (the folder name is empty).</translation>
    </message>
    <message>
        <source>Mémoire insuffisante : la commande « %1 » est abandonnée.</source>
        <translation>Not enough memory: the command &quot;%1&quot; is abandoned.</translation>
    </message>
    <message>
        <source>Erreur inattendue, la commande « %1 » est abandonnée : %2</source>
        <translation>Unexpected error, the command &quot;%1&quot; is abandoned: %2</translation>
    </message>
    <message>
        <source>Erreur inattendue, la commande « %1 » est abandonnée.</source>
        <translation>Unexpected error, the command &quot;%1&quot; is abandoned.</translation>
    </message>
    <message>
        <source>« %1 » n&apos;est pas re-pointé ; fichiers possibles :</source>
        <translation>&quot;%1&quot; is not re-pointed; possible files:</translation>
    </message>
    <message>
        <source>« %1 » n&apos;a pas été retrouvé.</source>
        <translation>&quot;%1&quot; was not found.</translation>
    </message>
    <message>
        <source>Le dossier « %1 » n&apos;a pas pu être lu.</source>
        <translation>The folder &quot;%1&quot; could not be read.</translation>
    </message>
    <message>
        <source>Le dossier « %1 » n&apos;existe pas ou n&apos;est pas un dossier.</source>
        <translation>The folder &quot;%1&quot; does not exist or is not a folder.</translation>
    </message>
    <message>
        <source>Le livre « %1 » ne peut pas être modifié : %2</source>
        <translation>The book &quot;%1&quot; cannot be changed: %2</translation>
    </message>
    <message>
        <source>livre</source>
        <translation>book</translation>
    </message>
    <message>
        <source>copie</source>
        <translation>copy</translation>
    </message>
    <message>
        <source>les deux</source>
        <translation>both</translation>
    </message>
    <message>
        <source>ajouté</source>
        <translation>added</translation>
    </message>
    <message>
        <source>modifié</source>
        <translation>changed</translation>
    </message>
    <message>
        <source>supprimé</source>
        <translation>removed</translation>
    </message>
    <message>
        <source>réuni</source>
        <translation>united</translation>
    </message>
    <message>
        <source>gardé</source>
        <translation>kept</translation>
    </message>
    <message>
        <source>Le fichier « %1 » n&apos;est pas un livre lisible : %2</source>
        <translation>The file &quot;%1&quot; is not a readable book: %2</translation>
    </message>
    <message>
        <source>lisible</source>
        <translation>readable</translation>
    </message>
    <message>
        <source>illisible : %1</source>
        <translation>unreadable: %1</translation>
    </message>
    <message>
        <source>Fusion à trois (la version commune est connue).</source>
        <translation>Three-way merge (the common version is known).</translation>
    </message>
    <message>
        <source>Fusion à deux (aucune version commune connue) : rien n&apos;est supprimé.</source>
        <translation>Two-way merge (no common version known): nothing is removed.</translation>
    </message>
    <message>
        <source>Des sujets ont été modifiés des deux côtés : la fusion demande votre avis et rien n&apos;est écrit. Fusionnez la copie depuis la fenêtre de Tavelo, ou voyez les changements avec --dry-run.</source>
        <translation>Subjects were changed on both sides: the merge needs your decision and nothing is written. Merge the copy from Tavelo&apos;s window, or see the changes with --dry-run.</translation>
    </message>
    <message>
        <source>Le livre est fusionné, mais la copie « %1 » n&apos;a pas pu être mise à la corbeille : %2.</source>
        <translation>The book is merged, but the copy &quot;%1&quot; could not be moved to the trash: %2.</translation>
    </message>
    <message>
        <source>Le livre « %1 » est libre.</source>
        <translation>The book &quot;%1&quot; is free.</translation>
    </message>
    <message>
        <source>Son dernier détenteur n&apos;est plus là : %1</source>
        <translation>Its last holder is gone: %1</translation>
    </message>
    <message>
        <source>Processus %1</source>
        <translation>Process %1</translation>
    </message>
    <message>
        <source>Son détenteur ne donne plus signe de vie : --take-over permet de reprendre le livre.</source>
        <translation>Its holder gives no sign of life: --take-over takes the book over.</translation>
    </message>
    <message>
        <source>Dernier signe de vie il y a %1 s</source>
        <translation>Last sign of life %1 s ago</translation>
    </message>
    <message>
        <source>illisible</source>
        <translation>unreadable</translation>
    </message>
    <message>
        <source>« %1 » n&apos;a pas pu être lu : %2.</source>
        <translation>&quot;%1&quot; could not be read: %2.</translation>
    </message>
    <message>
        <source>%1 : pages écrites : %2, pages blanches écartées : %3.</source>
        <translation>%1: pages written: %2, blank pages left out: %3.</translation>
    </message>
    <message>
        <source>nouveau sujet</source>
        <translation>new subject</translation>
    </message>
    <message>
        <source>Aucun scanner n&apos;a été trouvé.</source>
        <translation>No scanner was found.</translation>
    </message>
    <message>
        <source>Sources : %1 (actuelle : %2)</source>
        <translation>Sources: %1 (current: %2)</translation>
    </message>
    <message>
        <source>Modes : %1 (actuel : %2)</source>
        <translation>Modes: %1 (current: %2)</translation>
    </message>
    <message>
        <source>Résolutions : %1 (actuelle : %2)</source>
        <translation>Resolutions: %1 (current: %2)</translation>
    </message>
    <message>
        <source>Résolution incorrecte : %1</source>
        <translation>Wrong resolution: %1</translation>
    </message>
    <message>
        <source>Page %1 : blanche, écartée</source>
        <translation>Page %1: blank, left out</translation>
    </message>
    <message>
        <source>Page %1 : ajoutée</source>
        <translation>Page %1: added</translation>
    </message>
    <message>
        <source>Le programme de numérisation (tavelo-scan) est introuvable : Tavelo est mal installé.</source>
        <translation>The scanning program (tavelo-scan) cannot be found: Tavelo is not installed properly.</translation>
    </message>
    <message>
        <source>Le programme de numérisation (%1) ne peut pas être lancé : %2</source>
        <translation>The scanning program (%1) cannot be started: %2</translation>
    </message>
</context>
</TS>
