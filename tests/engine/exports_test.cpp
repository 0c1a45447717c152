// placeholder until these tests are written
