-- Base schema of the production-tracking module.
-- Written once for SQLite and PostgreSQL: plain types only, keys assigned by the
-- application or taken from codes, one statement per semicolon.
-- Integer keys are declared INTEGER PRIMARY KEY so that SQLite also fills them
-- when an insert leaves them out.

-- ---------------------------------------------------------------------------
-- Configuration
-- ---------------------------------------------------------------------------

-- Captions of the sixteen free columns of the label list and label form.
-- One row only: the windows read it without a condition.
CREATE TABLE zr_022740 (
  pzid   INTEGER PRIMARY KEY CHECK (pzid = 1),
  hctj01 VARCHAR(40), hctj02 VARCHAR(40), hctj03 VARCHAR(40), hctj04 VARCHAR(40),
  hctj05 VARCHAR(40), hctj06 VARCHAR(40), hctj07 VARCHAR(40), hctj08 VARCHAR(40),
  hctj09 VARCHAR(40), hctj10 VARCHAR(40), hctj11 VARCHAR(40), hctj12 VARCHAR(40),
  hctj13 VARCHAR(40), hctj14 VARCHAR(40), hctj15 VARCHAR(40), hctj16 VARCHAR(40)
);

-- Widths of the same sixteen columns, in data-window units, one row only.
-- Read as 16-bit integers, so keep them small.
CREATE TABLE zr_023450 (
  pzid   INTEGER PRIMARY KEY CHECK (pzid = 1),
  hcwd01 INTEGER, hcwd02 INTEGER, hcwd03 INTEGER, hcwd04 INTEGER,
  hcwd05 INTEGER, hcwd06 INTEGER, hcwd07 INTEGER, hcwd08 INTEGER,
  hcwd09 INTEGER, hcwd10 INTEGER, hcwd11 INTEGER, hcwd12 INTEGER,
  hcwd13 INTEGER, hcwd14 INTEGER, hcwd15 INTEGER, hcwd16 INTEGER
);

-- One row per menu entry (screen): its name and up to thirty statistic captions.
-- A list window finds its row by the menu number it was opened with.
CREATE TABLE zr_050110 (
  xzmnid INTEGER PRIMARY KEY,
  xzmc   VARCHAR(60) NOT NULL,
  hctj01 VARCHAR(40), hctj02 VARCHAR(40), hctj03 VARCHAR(40), hctj04 VARCHAR(40),
  hctj05 VARCHAR(40), hctj06 VARCHAR(40), hctj07 VARCHAR(40), hctj08 VARCHAR(40),
  hctj09 VARCHAR(40), hctj10 VARCHAR(40), hctj11 VARCHAR(40), hctj12 VARCHAR(40),
  hctj13 VARCHAR(40), hctj14 VARCHAR(40), hctj15 VARCHAR(40), hctj16 VARCHAR(40),
  hctj17 VARCHAR(40), hctj18 VARCHAR(40), hctj19 VARCHAR(40), hctj20 VARCHAR(40),
  hctj21 VARCHAR(40), hctj22 VARCHAR(40), hctj23 VARCHAR(40), hctj24 VARCHAR(40),
  hctj25 VARCHAR(40), hctj26 VARCHAR(40), hctj27 VARCHAR(40), hctj28 VARCHAR(40),
  hctj29 VARCHAR(40), hctj30 VARCHAR(40)
);

-- Help texts shown in the help area of the list windows, one per window class.
CREATE TABLE zr_zrxx10 (
  bzid INTEGER PRIMARY KEY,
  ckmc VARCHAR(40) NOT NULL UNIQUE,
  bzbt VARCHAR(60),
  bznr VARCHAR(2000)
);

-- Who opened which screen when; shown read-only by date.
CREATE TABLE zr_xzrz (
  rzid    INTEGER PRIMARY KEY,
  xzmnid  INTEGER NOT NULL,
  tkaprid INTEGER,
  czrq    DATE NOT NULL,
  czsj    TIMESTAMP,
  cznr    VARCHAR(200)
);

-- ---------------------------------------------------------------------------
-- Dictionaries
-- ---------------------------------------------------------------------------

-- General dictionary, one group per kind of entry (item classes, document
-- types, order types, states, staff types). The record editors name it as
-- their table, with recitypeid as the key.
CREATE TABLE dictrecitype (
  recitypeid INTEGER PRIMARY KEY,
  recitypelb VARCHAR(10) NOT NULL,
  recitypebh VARCHAR(20) NOT NULL,
  recitypemc VARCHAR(60) NOT NULL,
  recitypesx INTEGER,
  recitypebz VARCHAR(200),
  UNIQUE (recitypelb, recitypebh)
);

-- Departments.
CREATE TABLE zr_bm (
  bmid  INTEGER PRIMARY KEY,
  bmbh  VARCHAR(10) NOT NULL UNIQUE,
  bmmc  VARCHAR(40) NOT NULL,
  bmfzr VARCHAR(20),
  bmbz  VARCHAR(200)
);

-- Work processes. aagxbh is the short code that goes into a work record's code.
CREATE TABLE zr_aagx (
  aagxid INTEGER PRIMARY KEY,
  aagxbh VARCHAR(10) NOT NULL UNIQUE,
  aagxmc VARCHAR(40) NOT NULL,
  bmid   INTEGER,
  aagxsx INTEGER,
  aagxbz VARCHAR(200)
);

-- Skill grades of a process (the piece rate of a grade is in zr_bcjb).
CREATE TABLE zr_a2 (
  a2jbid INTEGER PRIMARY KEY,
  aagxid INTEGER NOT NULL,
  a2jbbh VARCHAR(10) NOT NULL,
  a2jbmc VARCHAR(40) NOT NULL,
  a2jbxs NUMERIC(6,2),
  UNIQUE (aagxid, a2jbbh)
);

-- Colours: code, Chinese name, English name and the customer's colour number.
CREATE TABLE zr_aashbh (
  aashid INTEGER PRIMARY KEY,
  aashbh VARCHAR(20) NOT NULL UNIQUE,
  aaysmc VARCHAR(40) NOT NULL,
  aaegys VARCHAR(40),
  aakhsh VARCHAR(20)
);

-- Sizes, in the order they are shown.
CREATE TABLE zr_cmzd (
  cmid INTEGER PRIMARY KEY,
  cmbh VARCHAR(20) NOT NULL UNIQUE,
  cmmc VARCHAR(40),
  cmsx INTEGER
);

-- Materials (yarn, trims). tbopdw is the unit the quantities are given in:
-- 磅 and KG are converted into each other when details are generated.
CREATE TABLE zr_tbop (
  tbopid INTEGER PRIMARY KEY,
  tbopbh VARCHAR(20) NOT NULL UNIQUE,
  tbopmc VARCHAR(60) NOT NULL,
  tbopgg VARCHAR(40),
  tbopdw VARCHAR(10),
  tbopdj NUMERIC(12,4)
);

-- Customers.
CREATE TABLE zr_kh (
  khid INTEGER PRIMARY KEY,
  khbh VARCHAR(20) NOT NULL UNIQUE,
  khmc VARCHAR(60) NOT NULL,
  lxr  VARCHAR(20),
  dh   VARCHAR(30),
  dz   VARCHAR(100)
);

-- Accounting periods that documents and labels are filed under.
CREATE TABLE zr_tjgd (
  tjgdid INTEGER PRIMARY KEY,
  tjgdbh VARCHAR(10) NOT NULL UNIQUE,
  tjgdmc VARCHAR(40),
  ksrq   DATE,
  jsrq   DATE
);

-- Warehouses.
CREATE TABLE zr_ck (
  ckid INTEGER PRIMARY KEY,
  ckbh VARCHAR(10) NOT NULL UNIQUE,
  ckmc VARCHAR(40) NOT NULL
);

-- ---------------------------------------------------------------------------
-- Staff
-- ---------------------------------------------------------------------------

-- Staff. tkaprid is the number the operator types, tkaprbh the job number
-- printed on the badge, cardnu the card read at the stations.
CREATE TABLE zrtaska_tkzdgg (
  tkaprid  INTEGER PRIMARY KEY,
  tkaprbh  VARCHAR(10) NOT NULL UNIQUE,
  tkaprmc  VARCHAR(20) NOT NULL,
  tkaprnt  NUMERIC(6,2),
  tkaprlx  VARCHAR(10),
  bmid     INTEGER,
  aagxid   INTEGER,
  cardnu   VARCHAR(20) UNIQUE,
  xb       VARCHAR(2),
  rzrq     DATE,
  filepath VARCHAR(200),
  bz       VARCHAR(200)
);

-- Attendance punches: job number, card, shift part, punch time, work day.
CREATE TABLE zr_vyskq (
  kqid INTEGER PRIMARY KEY,
  bh   VARCHAR(10) NOT NULL,
  bh2  VARCHAR(20),
  sj   VARCHAR(10),
  wksj TIMESTAMP,
  wkrq DATE NOT NULL
);

-- ---------------------------------------------------------------------------
-- Items
-- ---------------------------------------------------------------------------

-- Items (styles). td2jlb is the item class from dictrecitype.
CREATE TABLE zr_td2j (
  td2jid INTEGER PRIMARY KEY,
  td2jbh VARCHAR(20) NOT NULL UNIQUE,
  td2jmc VARCHAR(60) NOT NULL,
  td2jlb INTEGER,
  td2jdw VARCHAR(10),
  td2jcf VARCHAR(60),
  td2jdj NUMERIC(12,2),
  td2jrq DATE,
  td2jbz VARCHAR(200)
);

-- Colour-size breakdown of an item: one row per colour and size, with the
-- SKU barcode and the weight of one piece for the scale check.
CREATE TABLE zr_052660 (
  xmid   INTEGER PRIMARY KEY,
  td2jid INTEGER NOT NULL,
  aashid INTEGER NOT NULL,
  cmid   INTEGER NOT NULL,
  xmtm   VARCHAR(30) UNIQUE,
  djzl   NUMERIC(10,3),
  UNIQUE (td2jid, aashid, cmid)
);

-- Stock by warehouse, item, colour and size.
CREATE TABLE zr_051350 (
  kcid   INTEGER PRIMARY KEY,
  ckid   INTEGER NOT NULL,
  td2jid INTEGER NOT NULL,
  aashid INTEGER,
  cmid   INTEGER,
  kcsl   INTEGER,
  gxrq   DATE,
  UNIQUE (ckid, td2jid, aashid, cmid)
);

-- ---------------------------------------------------------------------------
-- Orders
-- ---------------------------------------------------------------------------

-- Order headers, keyed by the order number.
CREATE TABLE zr_004381 (
  ddyjbh VARCHAR(20) NOT NULL PRIMARY KEY,
  ddlx   INTEGER,
  khid   INTEGER,
  td2jid INTEGER,
  xdrq   DATE,
  jhrq   DATE,
  ddsl   INTEGER,
  ddje   NUMERIC(14,2),
  ywy    VARCHAR(20),
  zrztpz INTEGER DEFAULT 0,
  bz     VARCHAR(200)
);

-- Order detail rows by item, colour and size.
CREATE TABLE zr_004384 (
  ddmxid INTEGER PRIMARY KEY,
  ddyjbh VARCHAR(20) NOT NULL,
  td2jid INTEGER NOT NULL,
  aashid INTEGER,
  cmid   INTEGER,
  ddsl   INTEGER,
  dj     NUMERIC(12,2),
  je     NUMERIC(14,2),
  bz     VARCHAR(200)
);

-- Prices quoted to the customer for an order's items.
CREATE TABLE zr_ddbpjg (
  bpid   INTEGER PRIMARY KEY,
  ddyjbh VARCHAR(20) NOT NULL,
  td2jid INTEGER NOT NULL,
  khid   INTEGER,
  bpjg   NUMERIC(12,2),
  bprq   DATE,
  bz     VARCHAR(200)
);

-- Progress entries of an order: several per order code, numbered upwards, the
-- greatest ddtmic being the latest. Its figures are in sv_016380 under the
-- same number (tdjbid = ddtmic).
CREATE TABLE zr_ddmcic (
  ddtmic INTEGER PRIMARY KEY,
  icddbh VARCHAR(20) NOT NULL,
  ddmc   VARCHAR(60),
  djrq   DATE,
  bz     VARCHAR(200)
);

-- Progress figures of one progress entry: nine quantities whose captions come
-- from the screen's row of zr_050110.
CREATE TABLE sv_016380 (
  tdjbid INTEGER PRIMARY KEY,
  icddbh VARCHAR(20) NOT NULL,
  zrztpz INTEGER DEFAULT 0,
  tjrq   DATE,
  sl01 NUMERIC(12,2), sl02 NUMERIC(12,2), sl03 NUMERIC(12,2),
  sl04 NUMERIC(12,2), sl05 NUMERIC(12,2), sl06 NUMERIC(12,2),
  sl07 NUMERIC(12,2), sl08 NUMERIC(12,2), sl09 NUMERIC(12,2),
  bz   VARCHAR(200)
);

-- ---------------------------------------------------------------------------
-- Bundles and work records
-- ---------------------------------------------------------------------------

-- Bundles cut for an order, each with its barcode, piece count and weight.
-- The weight of a work record's splits is shared out from these totals.
CREATE TABLE zr_003260 (
  zrtmid INTEGER PRIMARY KEY,
  zrtmic VARCHAR(20) NOT NULL UNIQUE,
  zrbh   VARCHAR(10),
  ddyjbh VARCHAR(20),
  td2jid INTEGER,
  aashid INTEGER,
  cmid   INTEGER,
  sjldcs INTEGER,
  sjldwt NUMERIC(12,2),
  cdrq   DATE,
  bz     VARCHAR(200)
);

-- Work records: a worker's card, a process and a bundle. A record may be
-- split: all splits share cdadid without its last character, which is the
-- split letter sjldzd (A for the record itself, B and on for splits).
-- cdadid = cardnu || aagxbh || zrtmic || sjldzd, composed by the editor.
-- Not unique on purpose: a second new split gets B again until the
-- operator changes the letter.
CREATE TABLE zr_016520 (
  sjdzld INTEGER PRIMARY KEY,
  zrtmid INTEGER,
  zrtmic VARCHAR(20),
  aagxbh VARCHAR(10),
  cardnu VARCHAR(20),
  sjldzd VARCHAR(1),
  cdadid VARCHAR(60),
  sjtmic VARCHAR(10),
  sjldsj VARCHAR(5),
  sjldjs NUMERIC(12,3),
  sjldcs INTEGER,
  sjldwt NUMERIC(12,2),
  sjldje NUMERIC(12,2),
  zropic VARCHAR(20),
  bz     VARCHAR(200)
);

-- Detail lines (sizes, defects) of a work record or of a label, found by the
-- owner's zropic.
CREATE TABLE zr_ddxx81 (
  ddxxid INTEGER PRIMARY KEY,
  zropic VARCHAR(20) NOT NULL,
  ddxxxh INTEGER,
  aashid INTEGER,
  cmid   INTEGER,
  sl     INTEGER,
  cpsl   INTEGER,
  bz     VARCHAR(200)
);

-- Piece rates by process, grade and item.
CREATE TABLE zr_bcjb (
  bcjbid INTEGER PRIMARY KEY,
  aagxid INTEGER NOT NULL,
  a2jbid INTEGER,
  td2jid INTEGER,
  bcjbdj NUMERIC(12,4),
  bcjbrq DATE,
  bz     VARCHAR(200)
);

-- ---------------------------------------------------------------------------
-- Documents
-- ---------------------------------------------------------------------------

-- Document headers of every kind (djlx from dictrecitype), keyed by the
-- document number sjtmic. sjpzbh is the voucher number that lot numbers are
-- made from. sjdzbz holds the total amount written out, kept after each save
-- of a detail entry.
CREATE TABLE zr_zrxx1d (
  sjtmic VARCHAR(20) NOT NULL PRIMARY KEY,
  sjpzbh VARCHAR(20),
  djlx   INTEGER,
  djrq   DATE,
  khid   INTEGER,
  ckid   INTEGER,
  ddyjbh VARCHAR(20),
  tjgdid INTEGER,
  zrztpz INTEGER DEFAULT 0,
  sjdzbz VARCHAR(200),
  zdr    VARCHAR(20),
  shr    VARCHAR(20),
  shrq   DATE,
  bz     VARCHAR(200)
);

-- Document detail rows by material (tdjbrd = tbopid) and colour, with lot
-- number, quantity in the material's unit, the same in kilograms and pounds,
-- unit price and the colour texts copied from zr_aashbh.
-- Generated rows leave sjdzld out of the insert: SQLite fills it itself,
-- PostgreSQL needs the sequence that init-db adds for it.
CREATE TABLE zr_017493 (
  sjdzld INTEGER PRIMARY KEY,
  sjtmic VARCHAR(20) NOT NULL,
  tdjbrd INTEGER,
  tdjbbh VARCHAR(30),
  aashid INTEGER,
  sjldjs NUMERIC(14,4),
  sjldsl NUMERIC(14,4),
  sjldps NUMERIC(14,4),
  sjlddj NUMERIC(12,4),
  ddpoaa VARCHAR(40),
  ddpobb VARCHAR(20),
  ddpocc VARCHAR(40),
  ddpoee VARCHAR(20),
  bz     VARCHAR(200)
);

-- Lot numbers already given out (voucher number, a point, two digits).
CREATE TABLE zr_zrtdx2 (
  tdjbid INTEGER PRIMARY KEY,
  tdjbbh VARCHAR(30) NOT NULL UNIQUE,
  sjtmic VARCHAR(20),
  djrq   DATE,
  bz     VARCHAR(200)
);

-- Material needs planned for a document, summed by material and colour when
-- the document's details are generated.
CREATE TABLE zr_052690 (
  ylid   INTEGER PRIMARY KEY,
  sjtmic VARCHAR(20) NOT NULL,
  tbopid INTEGER NOT NULL,
  aashid INTEGER,
  sjldjs NUMERIC(14,4),
  bz     VARCHAR(200)
);

-- Document lines by item, colour and size (goods in and out, packing).
CREATE TABLE zr_003313 (
  mxid   INTEGER PRIMARY KEY,
  sjtmic VARCHAR(20) NOT NULL,
  td2jid INTEGER NOT NULL,
  aashid INTEGER,
  cmid   INTEGER,
  xmtm   VARCHAR(30),
  sl     INTEGER,
  zl     NUMERIC(12,3),
  dj     NUMERIC(12,2),
  xh     VARCHAR(10),
  bz     VARCHAR(200)
);

-- ---------------------------------------------------------------------------
-- Labels
-- ---------------------------------------------------------------------------

-- Label data: sixteen free fields whose captions come from zr_022740 (copied
-- into hctj01..hctj16 when the row is made), seven remarks, the period and
-- the state.
CREATE TABLE zr_016910 (
  f3jbid INTEGER PRIMARY KEY,
  ddyjbh VARCHAR(20),
  td2jid INTEGER,
  f3bz01 VARCHAR(60), f3bz02 VARCHAR(60), f3bz03 VARCHAR(60), f3bz04 VARCHAR(60),
  f3bz05 VARCHAR(60), f3bz06 VARCHAR(60), f3bz07 VARCHAR(60), f3bz08 VARCHAR(60),
  f3bz09 VARCHAR(60), f3bz10 VARCHAR(60), f3bz11 VARCHAR(60), f3bz12 VARCHAR(60),
  f3bz13 VARCHAR(60), f3bz14 VARCHAR(60), f3bz15 VARCHAR(60), f3bz16 VARCHAR(60),
  hctj01 VARCHAR(40), hctj02 VARCHAR(40), hctj03 VARCHAR(40), hctj04 VARCHAR(40),
  hctj05 VARCHAR(40), hctj06 VARCHAR(40), hctj07 VARCHAR(40), hctj08 VARCHAR(40),
  hctj09 VARCHAR(40), hctj10 VARCHAR(40), hctj11 VARCHAR(40), hctj12 VARCHAR(40),
  hctj13 VARCHAR(40), hctj14 VARCHAR(40), hctj15 VARCHAR(40), hctj16 VARCHAR(40),
  f7bz01 VARCHAR(60), f7bz02 VARCHAR(60), f7bz03 VARCHAR(60), f7bz04 VARCHAR(60),
  f7bz05 VARCHAR(60), f7bz06 VARCHAR(60), f7bz07 VARCHAR(60),
  tjgdid INTEGER,
  zrztpz INTEGER DEFAULT 0,
  zropic VARCHAR(20),
  bqsl   INTEGER,
  dyrq   DATE
);

-- Cartons of a label row.
CREATE TABLE zr_016911 (
  xhid   INTEGER PRIMARY KEY,
  f3jbid INTEGER NOT NULL,
  xh     VARCHAR(10) NOT NULL,
  sl     INTEGER,
  mz     NUMERIC(10,2),
  jz     NUMERIC(10,2)
);

-- ---------------------------------------------------------------------------
-- Lookups the windows run often
-- ---------------------------------------------------------------------------

CREATE INDEX ix_zr_016520_cdadid ON zr_016520 (cdadid);
CREATE INDEX ix_zr_016520_zrtmid ON zr_016520 (zrtmid);
CREATE INDEX ix_zr_ddxx81_zropic ON zr_ddxx81 (zropic);
CREATE INDEX ix_zr_017493_sjtmic ON zr_017493 (sjtmic, tdjbrd, aashid);
CREATE INDEX ix_zr_052690_sjtmic ON zr_052690 (sjtmic);
CREATE INDEX ix_zr_003313_sjtmic ON zr_003313 (sjtmic);
CREATE INDEX ix_zr_ddmcic_icddbh ON zr_ddmcic (icddbh);
CREATE INDEX ix_zr_004384_ddyjbh ON zr_004384 (ddyjbh);
CREATE INDEX ix_zr_052660_td2jid ON zr_052660 (td2jid);
CREATE INDEX ix_zr_a2_aagxid ON zr_a2 (aagxid);
CREATE INDEX ix_zr_vyskq_wkrq ON zr_vyskq (wkrq);
