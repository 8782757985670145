-- Quendra demo schema for Firebird 3, dialect 3.
-- The program quotes every value, numbers included, and writes dates as
-- 'mm/dd/yyyy' and times as 'hh:nn:ss', so numeric, DATE and TIME columns
-- take those literals through Firebird's own conversion.
-- No character set is declared: the program attaches with NONE.
-- Flags are CHAR(1): the program compares them with one character only.
-- TABSCRIPT is missing on purpose: the program creates it at start-up.

--@ utenti

-- Users. PROFILOSICUREZZA and PROGETTO stay nullable because the login
-- reports an empty one as a configuration error.
-- UTENTEINATTIVO is optional: the program probes for it, so it carries no
-- index or constraint and can be dropped.
CREATE TABLE UTENTI (
  CODICE INTEGER NOT NULL,
  NOMEUTENTE VARCHAR(100),
  PWDUTENTE VARCHAR(100),
  DITTA VARCHAR(120),
  INFO1 VARCHAR(20),
  UTENTEINATTIVO CHAR(1),
  ABILITASCELTADISCO CHAR(1),
  ACCESSONORVANE CHAR(1),
  PROFILOSICUREZZA INTEGER,
  PROGETTO INTEGER,
  MANTIENISTDMIN CHAR(1),
  ULTIMODISCOSCELTO VARCHAR(10),
  NORVANE BLOB SUB_TYPE TEXT,
  CONSTRAINT PK_UTENTI PRIMARY KEY (CODICE)
);

-- Maker parameters per user and company heading. A unique constraint
-- instead of a primary key: rows with a NULL heading (or name) can exist
-- and are simply left out of the text image, and a primary key would
-- refuse them. Headings are 120 long so that a 100 character company name
-- still fits with the ' <INATTIVA>' mark appended.
CREATE TABLE TABNORVANE (
  UTENTE INTEGER NOT NULL,
  INTESTAZIONE VARCHAR(120),
  PARAMETRO VARCHAR(100),
  VALORE VARCHAR(1000),
  PROGRESSIVO INTEGER,
  CONSTRAINT UQ_TABNORVANE UNIQUE (UTENTE, INTESTAZIONE, PARAMETRO)
);

CREATE TABLE PROGRAMMI (
  CODICE INTEGER NOT NULL,
  DESCRIZIONE VARCHAR(100),
  ICONA VARCHAR(255),
  CONSTRAINT PK_PROGRAMMI PRIMARY KEY (CODICE)
);

CREATE TABLE DETTPROGETTI (
  PROGETTO INTEGER NOT NULL,
  PROGRAMMA INTEGER NOT NULL,
  CONSTRAINT PK_DETTPROGETTI PRIMARY KEY (PROGETTO, PROGRAMMA)
);

-- Menu tree. MENUPREC is NULL for the entries of the menu bar itself.
-- DESCRIZIONE is longer than a plain caption to leave room for a
-- <LINEA>name</LINEA> parameter tag.
CREATE TABLE DETTMENU (
  PROGRAMMA INTEGER NOT NULL,
  MENU INTEGER NOT NULL,
  LIVELLOMENU INTEGER,
  MENUPREC INTEGER,
  VISIBILE CHAR(1),
  DESCRIZIONE VARCHAR(200),
  VOCERAPIDA CHAR(1),
  LIVELLO2VERSIONE CHAR(1),
  DLL VARCHAR(100),
  FUNZIONE VARCHAR(255),
  PARAMETRIBLOB BLOB SUB_TYPE TEXT,
  CONSTRAINT PK_DETTMENU PRIMARY KEY (PROGRAMMA, MENU)
);

-- Big buttons, placed in pixels as stored.
CREATE TABLE PULSANTONI (
  ID INTEGER NOT NULL,
  PROGETTO INTEGER,
  VISIBILE CHAR(1),
  POS_X INTEGER,
  POS_Y INTEGER,
  LARGHEZZA INTEGER,
  ALTEZZA INTEGER,
  NOME VARCHAR(100),
  NOMEIMMAGINE VARCHAR(255),
  DLL VARCHAR(100),
  FUNZIONE VARCHAR(255),
  LIVELLO2VERSIONE CHAR(1),
  PARAMETRIBLOB BLOB SUB_TYPE TEXT,
  CONSTRAINT PK_PULSANTONI PRIMARY KEY (ID)
);

CREATE TABLE PROFILI (
  CODICE INTEGER NOT NULL,
  LIVELLOPREDEFINITO INTEGER,
  CONSTRAINT PK_PROFILI PRIMARY KEY (CODICE)
);

CREATE TABLE DETTPROF (
  PROFILO INTEGER NOT NULL,
  PROGRAMMA INTEGER NOT NULL,
  MENU INTEGER NOT NULL,
  LIVELLO INTEGER,
  CONSTRAINT PK_DETTPROF PRIMARY KEY (PROFILO, PROGRAMMA, MENU)
);

-- Work sessions. Dates and times come from the workstation as text, so
-- plain DATE and TIME columns. DATACHIUSURA stays NULL while open.
CREATE TABLE KESTOLOG (
  CODICESESSIONE INTEGER NOT NULL,
  DATAAPERTURA DATE,
  ORAAPERTURA TIME,
  CODICEUTENTE INTEGER,
  DATACHIUSURA DATE,
  ORACHIUSURA TIME,
  CONSTRAINT PK_KESTOLOG PRIMARY KEY (CODICESESSIONE)
);

CREATE INDEX IX_KESTOLOG_UTENTE ON KESTOLOG (CODICEUTENTE);

-- Call log. No key and no foreign key: a launch is logged even when its
-- session row could not be written. IDFINESTRA and HANDLEFINESTRA are
-- optional and probed at start-up, so neither is indexed (an index would
-- stop them being dropped). HANDLEFINESTRA is BIGINT to hold any window
-- handle a library writes.
CREATE TABLE KESTOLOGFUNZ (
  CODICESESSIONE INTEGER NOT NULL,
  DATACHIAMATAFUNZIONE DATE,
  ORACHIAMATAFUNZIONE TIME,
  FUNZIONECHIAMATA VARCHAR(255),
  IDFINESTRA INTEGER,
  HANDLEFINESTRA BIGINT
);

CREATE INDEX IX_KESTOLOGFUNZ_SESSIONE ON KESTOLOGFUNZ (CODICESESSIONE);

-- Window positions. The statements write the column names bare (CodiceSituazione),
-- which the engine reads in upper case, so the columns are created unquoted.
CREATE TABLE "STOPOS1" (
  CodiceSituazione INTEGER NOT NULL,
  CodiceUtente INTEGER NOT NULL,
  CodiceProgetto INTEGER NOT NULL,
  PosX INTEGER,
  PosY INTEGER,
  DimX INTEGER,
  DimY INTEGER,
  CONSTRAINT PK_STOPOS1 PRIMARY KEY (CodiceSituazione, CodiceUtente, CodiceProgetto)
);

-- Same layout as the archive's TABX. Read before login by NOME and UTENTE.
-- NUMERO is DOUBLE PRECISION because decimals are written with a point
-- and whole numbers must read back without a fraction.
CREATE TABLE TABX (
  CODICE INTEGER NOT NULL,
  CODPROGETTO VARCHAR(50),
  CODSITUAZIONE VARCHAR(50),
  TIPO VARCHAR(10),
  NOME VARCHAR(100),
  NUMERO DOUBLE PRECISION,
  TESTO VARCHAR(255),
  DATA DATE,
  MEMO BLOB SUB_TYPE TEXT,
  LIVELLO1 INTEGER,
  LIVELLO2 INTEGER,
  UTENTE INTEGER,
  CONSTRAINT PK_TABX PRIMARY KEY (CODICE)
);

CREATE INDEX IX_TABX_NOME ON TABX (NOME);

CREATE GENERATOR CODICESESSIONEKESTOLOG;

CREATE GENERATOR IDFINESTRAKESTOLOGFUNZCOUNTER;

--@ archivio

-- Per-user parameters of the libraries' windows. The twelve columns must
-- keep this order: some inserts give no column list.
-- NUMERO is DOUBLE PRECISION because decimals are written with a point
-- and whole numbers must read back without a fraction.
-- UTENTE is NULL for values not tied to a user.
CREATE TABLE TABX (
  CODICE INTEGER NOT NULL,
  CODPROGETTO VARCHAR(50),
  CODSITUAZIONE VARCHAR(50),
  TIPO VARCHAR(10),
  NOME VARCHAR(100),
  NUMERO DOUBLE PRECISION,
  TESTO VARCHAR(255),
  DATA DATE,
  MEMO BLOB SUB_TYPE TEXT,
  LIVELLO1 INTEGER,
  LIVELLO2 INTEGER,
  UTENTE INTEGER,
  CONSTRAINT PK_TABX PRIMARY KEY (CODICE)
);

CREATE INDEX IX_TABX_NOME ON TABX (NOME);

-- Window semaphores. Inserted without a column list, so the six columns
-- must stay in this order.
-- ID is deliberately not unique. Without the window columns of the call
-- log every launch passes window identifier 0, and freed rows are kept, so
-- a unique key would let only the first such window ever take a semaphore
-- and silently drop all the later ones. Without it every opening is still
-- guarded, and freeing ID 0 frees them all. A plain index serves the
-- updates by ID and the listing in ID order.
CREATE TABLE SEMAFORIF (
  ID INTEGER NOT NULL,
  DLL VARCHAR(100),
  FORM VARCHAR(255),
  UTENTE INTEGER,
  OCCUPATO SMALLINT,
  DATAORAOCCUPAZIONE TIMESTAMP
);

CREATE INDEX IX_SEMAFORIF_ID ON SEMAFORIF (ID);

CREATE INDEX IX_SEMAFORIF_FINESTRA ON SEMAFORIF (DLL, FORM);

-- Critical windows. The observation flag is compared with a bare 1,
-- hence a number.
CREATE TABLE SEMAFORIFCRITICHE (
  DLL VARCHAR(100) NOT NULL,
  FORM VARCHAR(255) NOT NULL,
  OSSERVATASPECIALE SMALLINT,
  CONSTRAINT PK_SEMAFORIFCRITICHE PRIMARY KEY (DLL, FORM)
);

-- Windows that block a critical window while they are taken.
CREATE TABLE SEMAFORIFCRITICHECOLL (
  DLLPRIN VARCHAR(100) NOT NULL,
  FORMPRIN VARCHAR(255) NOT NULL,
  DLLCOLLEGATA VARCHAR(100) NOT NULL,
  FORMCOLLEGATA VARCHAR(255) NOT NULL,
  CONSTRAINT PK_SEMAFORIFCRITICHECOLL PRIMARY KEY (DLLPRIN, FORMPRIN, DLLCOLLEGATA, FORMCOLLEGATA)
);

-- Refused openings and uses of the release command. The time is the
-- server's, written as 'NOW'. DLL and FORM are empty for a release.
CREATE TABLE SEMAFORIFANOMALIE (
  ID INTEGER NOT NULL,
  DATAORAANOMALIA TIMESTAMP,
  UTENTE INTEGER,
  DLL VARCHAR(100),
  FORM VARCHAR(255),
  DESCRIZIONE VARCHAR(100),
  CONSTRAINT PK_SEMAFORIFANOMALIE PRIMARY KEY (ID)
);

CREATE GENERATOR CODICETABXCOUNTER;

CREATE GENERATOR IDSEMAFORIFANOMALIECOUNTER;

-- Customers and suppliers, edited by the demo's editing window (Anagrafiche.so). Its key
-- is the first column, as the record services take it; new keys come from GEN_CLIFOR.
CREATE TABLE CLIFOR (
  CODICE INTEGER NOT NULL,
  RAGIONESOCIALE VARCHAR(60),
  CITTA VARCHAR(40),
  PARTITAIVA VARCHAR(16),
  FIDO NUMERIC(15,2),
  CLIENTEDAL DATE,
  NOTE BLOB SUB_TYPE TEXT,
  CONSTRAINT PK_CLIFOR PRIMARY KEY (CODICE)
);

CREATE GENERATOR GEN_CLIFOR;
