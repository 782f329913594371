-- After the demo rows, new keys start above the highest one they used.
SELECT setval('zr_017493_sjdzld_seq', (SELECT COALESCE(MAX(sjdzld), 0) + 1 FROM zr_017493), false);
