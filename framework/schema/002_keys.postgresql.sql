-- PostgreSQL gives generated detail rows their key from a sequence; SQLite's
-- INTEGER PRIMARY KEY does the same by itself.
CREATE SEQUENCE zr_017493_sjdzld_seq OWNED BY zr_017493.sjdzld;
ALTER TABLE zr_017493 ALTER COLUMN sjdzld SET DEFAULT nextval('zr_017493_sjdzld_seq');
