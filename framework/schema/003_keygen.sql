-- Key generators: the last number given out by each counter. Record editors
-- number new records from here, inside the save, so that two stations adding
-- at once never take the same number. A counter is named after what shares
-- it (dictrecitype_recitypeid) or after its table and key column
-- (zr_016520_sjdzld). A missing counter starts at 0.
CREATE TABLE zr_keygen (
  keyname VARCHAR(60) PRIMARY KEY,
  lastkey INTEGER NOT NULL
);
